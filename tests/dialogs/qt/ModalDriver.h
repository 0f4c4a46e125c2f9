#pragma once
// Drives modal windows from inside their event loop: each step waits until the active modal widget
// matches, then acts on it (the test's user). Steps run in order; a step whose window never comes
// fails the test after a timeout and closes whatever is modal, so a test cannot hang.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <deque>
#include <functional>

namespace orva::testing {

class ModalDriver {
public:
    using Match = std::function<bool(QWidget*)>;
    using Act = std::function<void(QWidget*)>;

    static Match Named(const char* objectName) {
        return [objectName](QWidget* w) { return w->objectName() == objectName; };
    }
    template <typename T>
    static Match OfType() {
        return [](QWidget* w) { return qobject_cast<T*>(w) != nullptr; };
    }

    ModalDriver() {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Poll(); });
        m_timer.start();
    }
    ~ModalDriver() { EXPECT_TRUE(m_steps.empty()) << m_steps.size() << " modal steps never ran"; }

    void Then(Match match, Act act) { m_steps.push_back({std::move(match), std::move(act)}); }

private:
    void Poll() {
        QWidget* modal = QApplication::activeModalWidget();
        if (m_steps.empty()) return;
        if (++m_polls > 1000) {  // about 5 s
            ADD_FAILURE() << "no modal window for the next step";
            m_steps.clear();
            if (modal) modal->close();
            return;
        }
        if (!modal || !modal->isVisible() || !m_steps.front().match(modal)) return;
        auto step = std::move(m_steps.front());
        m_steps.pop_front();
        m_polls = 0;
        // Acted on from a timer of its own: Qt does not fire the polling timer again while its handler
        // runs, and an act that opens another modal window (a message box) needs the next poll.
        QTimer::singleShot(0, modal, [act = std::move(step.act), modal] { act(modal); });
    }

    struct Step {
        Match match;
        Act act;
    };
    std::deque<Step> m_steps;
    QTimer m_timer;
    int m_polls = 0;
};

}  // namespace orva::testing
