// Real windows come from the Qt views library, loaded only on demand: a headless process never has Qt
// loaded, and where no display exists the request fails with an automation error instead of Qt
// ending the process.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <optional>
#include <string>

#include "dialogs/common/WindowUiServices.h"
#include "support/ErrorNumber.h"

namespace orva::dialogs {
namespace {

// Sets or unsets an environment variable for the scope.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~ScopedEnv() { m_old ? setenv(m_name, m_old->c_str(), 1) : unsetenv(m_name); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* m_name;
    std::optional<std::string> m_old;
};

bool QtLoaded() {
    std::ifstream maps("/proc/self/maps");
    std::string line;
    while (std::getline(maps, line)) {
        if (line.find("libQt6") != std::string::npos) return true;
    }
    return false;
}

// Runs first in this program: nothing before it asked for a window.
TEST(WindowUiServices, AProcessOfTheLibraryHasNoQtLoaded) { EXPECT_FALSE(QtLoaded()); }

TEST(WindowUiServices, NoDisplayGivesAnAutomationErrorInsteadOfEndingTheProcess) {
    struct Case {
        const char* platform;
        const char* display;
        const char* wayland;
        std::u16string reason;
    };
    const Case cases[] = {
        {nullptr, nullptr, nullptr, u"neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {"xcb", "", nullptr, u"neither DISPLAY nor WAYLAND_DISPLAY is set"},
        {nullptr, ":4242", nullptr, u"the X display :4242 is not running"},
        {"wayland", ":0", nullptr, u"QT_QPA_PLATFORM names Wayland but WAYLAND_DISPLAY is not set"},
    };
    for (const Case& c : cases) {
        ScopedEnv platform("QT_QPA_PLATFORM", c.platform);
        ScopedEnv display("DISPLAY", c.display);
        ScopedEnv wayland("WAYLAND_DISPLAY", c.wayland);
        std::u16string description;
        int32_t number = testing::ErrorNumberOf([] { WindowUiServices(); }, &description);
        if (number == 429) GTEST_SKIP() << "the views library is not built";
        EXPECT_EQ(number, 5) << c.platform;
        EXPECT_EQ(description, u"No window can be opened: " + c.reason);
    }
}

}  // namespace
}  // namespace orva::dialogs
