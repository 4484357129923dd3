#pragma once
// Radio buttons and check boxes as assistive technology sees them. Qt's own interface toggles
// such a button without the click the window's handlers listen to, so a screen reader's
// default action would change the check mark and nothing else: "Serial #" checked while the
// program still opens by device number. This interface activates them with a click, as the
// mouse and the keyboard do.
class QAccessibleInterface;
class QObject;
class QString;

// The accessibility factory for QRadioButton and QCheckBox; nullptr for everything else, so
// that Qt's own interfaces serve the other widgets.
QAccessibleInterface* ClickingButtonFactory(const QString& className, QObject* object);

// Installs the factory, once per process.
void InstallClickingAccessibleButtons();
