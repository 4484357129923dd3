#include "app/ClickingAccessibleButton.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QCheckBox>
#include <QRadioButton>

namespace {

class ClickingAccessibleButton : public QAccessibleWidget {
public:
    ClickingAccessibleButton(QAbstractButton* button, QAccessible::Role role)
        : QAccessibleWidget(button, role)
    {
    }

    QString text(QAccessible::Text kind) const override
    {
        if (kind == QAccessible::Name)
            return Button()->text().remove(QLatin1Char('&'));
        return QAccessibleWidget::text(kind);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = Button()->isChecked();
        return state;
    }

    QStringList actionNames() const override { return {toggleAction()}; }

    void doAction(const QString& actionName) override
    {
        if (!Button()->isEnabled())
            return;
        // A click toggles a check box, checks a radio button, and emits clicked, which is what
        // the handlers run on.
        if (actionName == toggleAction() || actionName == pressAction())
            Button()->click();
        else
            QAccessibleWidget::doAction(actionName);
    }

private:
    QAbstractButton* Button() const { return static_cast<QAbstractButton*>(widget()); }
};

} // namespace

QAccessibleInterface* ClickingButtonFactory(const QString& className, QObject* object)
{
    if (className == QLatin1String("QRadioButton"))
        return new ClickingAccessibleButton(static_cast<QRadioButton*>(object), QAccessible::RadioButton);
    if (className == QLatin1String("QCheckBox"))
        return new ClickingAccessibleButton(static_cast<QCheckBox*>(object), QAccessible::CheckBox);
    return nullptr;
}

void InstallClickingAccessibleButtons()
{
    static const bool installed = [] {
        QAccessible::installFactory(ClickingButtonFactory);
        return true;
    }();
    (void)installed;
}
