#include "dialogs/common/qt/DialogView.h"

#include <QCloseEvent>
#include <QListWidget>
#include <map>

#include "dialogs/common/qt/FocusCue.h"
#include "dialogs/common/qt/QtText.h"
#include "dialogs/common/qt/Twips.h"
#include "services/FormLoader.h"

namespace orva::dialogs {

namespace {

std::map<automation::Text, ViewFactory, std::less<>>& Registry() {
    static std::map<automation::Text, ViewFactory, std::less<>> registry;
    return registry;
}

}  // namespace

DialogView::DialogView(DialogModel& model, QWidget* parent) : QDialog(parent), m_model(model) {
    setObjectName(ToQt(model.Name()));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    for (const auto& control : model.Controls()) {
        // A control inside a frame lives in the frame's widget (added before it), at frame-relative
        // twips; Qt's tab order follows the order of creation, which is the model's.
        QWidget* parent = this;
        if (const Control* container = control->Container()) {
            if (QWidget* frame = WidgetOf(*container)) parent = frame;
        }
        auto binding =
            BindControl(*control, parent, [this](const std::function<void()>& action) { Dispatch(action); });
        if (binding) m_bindings.emplace(control.get(), std::move(binding));
    }
    const Geometry& client = model.Position();
    setFixedSize(TwipsToPixels(client.width, logicalDpiX()), TwipsToPixels(client.height, logicalDpiY()));
    MirrorForm(change::kCaption | change::kFont);
    new FocusCue(this);  // owned by the dialog
    m_model.Hub().Attach(this);
}

DialogView::~DialogView() { m_model.Hub().Attach(nullptr); }

QWidget* DialogView::WidgetOf(const Control& control) const {
    ControlBinding* binding = BindingOf(control);
    return binding ? binding->Widget() : nullptr;
}

ControlBinding* DialogView::BindingOf(const Control& control) const {
    auto it = m_bindings.find(&control);
    return it == m_bindings.end() ? nullptr : it->second.get();
}

void DialogView::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    for (QListWidget* list : findChildren<QListWidget*>()) {
        if (QListWidgetItem* item = list->currentItem()) list->scrollToItem(item);
    }
}

void DialogView::Run() {
    if (m_model.IsShown()) exec();
    if (m_failure) std::rethrow_exception(std::exchange(m_failure, nullptr));
}

void DialogView::ControlChanged(Control& control, Changes changes) {
    if (&control == &m_model) {
        MirrorForm(changes);
        return;
    }
    auto it = m_bindings.find(&control);
    if (it != m_bindings.end()) it->second->Mirror(changes);
}

void DialogView::MirrorForm(Changes changes) {
    if (changes & change::kCaption) {
        setWindowTitle(ToQt(m_model.Caption()));
    }
    if (changes & change::kFont) {
        // An installed family: the dialog's own, else the one the machine has for its character set.
        QFont font = this->font();
        font.setFamily(ToQt(components::InstalledFamily(m_model.FontName(),
                                                        components::ScriptForCharset(m_model.FontCharset()),
                                                        *components::SystemFonts())));
        font.setPointSizeF(m_model.FontSize());
        setFont(font);
        // The widgets inherit the font; captions that fitted at the old one are measured again.
        for (auto& [control, binding] : m_bindings) binding->Mirror(change::kFont);
    }
    if ((changes & change::kVisible) && !m_model.IsShown() && isVisible()) done(QDialog::Rejected);
}

void DialogView::reject() {
    for (const auto& control : m_model.Controls()) {
        if (auto* button = dynamic_cast<Button*>(control.get()); button && button->IsCancel()) {
            Dispatch([button] { button->Press(); });
            return;
        }
    }
    Dispatch([this] { m_model.CloseWindow(); });
}

void DialogView::closeEvent(QCloseEvent* event) {
    if (m_model.IsShown()) Dispatch([this] { m_model.CloseWindow(); });
    event->accept();
}

void DialogView::Dispatch(const std::function<void()>& action) {
    if (m_failure) return;
    try {
        ChangeBatch batch(m_model.Hub());
        action();
    } catch (...) {
        // Pass mode: the failure belongs to the code that showed the dialog; Run raises it there once
        // the window is down. Qt's event loop must not see the exception.
        m_failure = std::current_exception();
        m_model.Hide();
        if (isVisible()) done(QDialog::Rejected);
    }
}

bool RegisterView(const char16_t* dialogName, ViewFactory factory) {
    Registry()[dialogName] = factory;
    return true;
}

std::unique_ptr<DialogView> CreateView(DialogModel& model, QWidget* parent) {
    auto it = Registry().find(model.Name());
    if (it != Registry().end()) return it->second(model, parent);
    return std::make_unique<DialogView>(model, parent);
}

}  // namespace orva::dialogs
