#include "check_entry_accessible.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleInterface>
#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPointer>

namespace vortaxel::ui {
namespace {

constexpr const char* kCheckEntryProperty = "vortaxelCheckEntry";

/// The text as a menu shows it: "&" marks the access key, "&&" is one "&".
QString ShownText(QString text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '&') {
            text.remove(i, 1);
        }
    }
    return text;
}

class CheckEntryAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    explicit CheckEntryAccessible(QAction& action) : action_(&action), menu_(qobject_cast<QMenu*>(action.parent())) {}

    bool isValid() const override { return action_ != nullptr && menu_ != nullptr; }
    QObject* object() const override { return action_; }
    QWindow* window() const override { return menu_ != nullptr ? menu_->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(menu_.data()); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* focusChild() const override { return nullptr; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return {};
        }
        switch (t) {
        case QAccessible::Name:
            return ShownText(action_->text());
        case QAccessible::Description:
            return action_->whatsThis();
        case QAccessible::Accelerator:
            return action_->shortcut().toString(QKeySequence::NativeText);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect local = menu_->actionGeometry(action_);
        return QRect(menu_->mapToGlobal(local.topLeft()), local.size());
    }

    QAccessible::Role role() const override {
        const bool exclusive =
            action_ != nullptr && action_->actionGroup() != nullptr && action_->actionGroup()->isExclusive();
        return exclusive ? QAccessible::RadioButton : QAccessible::CheckBox;
    }

    QAccessible::State state() const override {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        state.checkable = true;
        state.checked = action_->isChecked();
        state.disabled = !action_->isEnabled();
        state.focusable = true;
        state.selectable = true;
        if (menu_->activeAction() == action_) {
            state.focused = true;
            state.selected = true;
        }
        if (!menu_->isVisible()) {
            state.invisible = true;
        }
        return state;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
    }

    QStringList actionNames() const override { return {toggleAction(), pressAction()}; }
    void doAction(const QString& name) override {
        if (!isValid() || !action_->isEnabled() || (name != toggleAction() && name != pressAction())) {
            return;
        }
        // As a click on the entry does: the choice is made and the menu closes.
        action_->trigger();
        menu_->hide();
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<QAction> action_;
    QPointer<QMenu> menu_;
};

QAccessibleInterface* CheckEntryFactory(const QString& className, QObject* object) {
    if (className != QLatin1String("QAction") || object == nullptr || !object->property(kCheckEntryProperty).toBool()) {
        return nullptr;
    }
    auto* action = qobject_cast<QAction*>(object);
    return action != nullptr ? new CheckEntryAccessible(*action) : nullptr;
}

} // namespace

void DescribeAsCheckEntry(QAction& action) {
    // Qt keeps the factories for the program's life; one is enough for every entry.
    static const bool installed = [] {
        QAccessible::installFactory(&CheckEntryFactory);
        return true;
    }();
    (void)installed;
    action.setProperty(kCheckEntryProperty, true);
}

} // namespace vortaxel::ui
