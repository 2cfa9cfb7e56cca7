// Driving real dialogs from a test: a script of steps that a polling timer
// runs while the code under test sits in its modal loops, and helpers that
// find controls and act on them as a user does.
#pragma once

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QString>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

class QMenu;
class QMessageBox;

// Readable texts in test failures.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace ui {

// Steps run in order, each polled until it returns true. A step that does
// not come true within the time limit fails the test, and every modal
// window still open is closed so that the test ends instead of hanging.
class Script {
  public:
    Script();
    ~Script();
    Script(const Script&) = delete;
    Script& operator=(const Script&) = delete;

    Script& Then(std::string what, std::function<bool()> step);
    // Starts polling; the steps run once the caller enters a modal loop.
    void Start();
    bool Finished() const { return m_next == m_steps.size(); }

  private:
    void Poll();
    void Abort();

    struct Step {
        std::string what;
        std::function<bool()> run;
    };
    std::vector<Step> m_steps;
    size_t m_next = 0;
    int m_pollsOnStep = 0;
    bool m_aborted = false;
    class QTimer* m_timer;
};

// The modal window in front, if it is a T.
template <class T>
T* Modal() {
    return qobject_cast<T*>(QApplication::activeModalWidget());
}
// The modal window in front if its caption is `title`.
QWidget* ModalWithTitle(const QString& title);
// The open popup menu, if any.
QMenu* Popup();

// A dialog control by its id; id -1 statics in template order.
QWidget* Control(QWidget* dialog, int id);
QLineEdit* Edit(QWidget* dialog, int id);
QPushButton* Button(QWidget* dialog, int id);
QString Text(QWidget* dialog, int id);
std::vector<QString> StaticTexts(QWidget* dialog);

// Replaces the text of an edit box by typing, as a user selects all and types.
void TypeInto(QLineEdit* edit, const QString& text);
// Replaces it at once, as a paste does: for long texts, and for a file
// chooser's name box, whose completion list would otherwise pop up.
void PasteInto(QLineEdit* edit, const QString& text);

// Clicks and key presses that may open a modal window happen after the
// step returns, from the event loop, so that a step never blocks.
void Click(QWidget* widget, Qt::MouseButton button = Qt::LeftButton, QPoint at = QPoint());
// A right-click as the window system delivers it, context menu included.
void RightClick(QWidget* widget, QPoint at);
void Press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

// Closes a message box with its only button, after checking what every
// box of the program has: one OK button and the exclamation icon.
void AcknowledgeMessage(QMessageBox* box);

// Saves a picture of `widget` as <build>/screenshots/<name>.png; returns the path.
std::string SaveScreenshot(QWidget* widget, const std::string& name);

}  // namespace ui
