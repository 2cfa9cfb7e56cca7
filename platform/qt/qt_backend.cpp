// The window layer's seam implemented with Qt 6 Widgets: dialog templates
// become QDialogs with real controls, messages come from key presses,
// clicks and the window's close button.
#include "platform/qt/qt_backend.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QWindow>
#include <algorithm>
#include <clocale>
#include <cmath>
#include <map>
#include <memory>

#include "platform/core/afxres.h"
#include "res/resources.h"

enum class WindowKind { Desktop, Dialog, FileDialog, Static, Edit, Button, ListBox, ComboBox };

struct HMENU__ {
    QPointer<QMenu> menu;
};

struct HWND__ {
    WindowKind kind = WindowKind::Desktop;
    QPointer<QWidget> widget;
    afx_backend::MessageSink* sink = nullptr;
    int id = 0;
    DWORD style = 0;
    // A dialog's controls, in template order.
    std::vector<std::unique_ptr<HWND__>> controls;
    int defaultId = IDOK;
    int modalResult = IDCANCEL;
    QPaintEvent* paintEvent = nullptr;
    HMENU__ systemMenu;
};

struct HDC__ {
    explicit HDC__(QWidget* widget) : painter(widget) {}
    QPainter painter;
};

namespace {

constexpr char kControlIdProperty[] = "afxControlId";
constexpr int kIconSize = 32;

QApplication* g_application = nullptr;
bool g_waitCursorShown = false;

QString FromUtf8(const char* text) { return QString::fromUtf8(text != nullptr ? text : ""); }

LRESULT Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    if (window == nullptr) return 0;
    if (window->sink != nullptr)
        return window->sink->OnWindowMessage(window, message, wParam, lParam);
    return afx_backend::DefWindowProc(window, message, wParam, lParam);
}

void SendCommand(HWND dialog, int id) {
    HWND control = afx_backend::GetDlgItem(dialog, id);
    Send(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
         reinterpret_cast<LPARAM>(control));
}

// Pixmaps live no longer than the application: Shutdown empties this.
std::map<HICON, QPixmap>& Pixmaps() {
    static std::map<HICON, QPixmap> pixmaps;
    return pixmaps;
}

const QPixmap& PixmapOf(HICON icon) {
    auto found = Pixmaps().find(icon);
    if (found == Pixmaps().end()) found = Pixmaps().emplace(icon, QPixmap(icon->xpm)).first;
    return found->second;
}

void ShowSystemMenu(HWND window, const QPoint& at) {
    QMenu* menu = window->systemMenu.menu;
    if (menu == nullptr) return;
    QAction* chosen = menu->exec(at);
    if (chosen != nullptr) Send(window, WM_SYSCOMMAND, chosen->data().toUInt(), 0);
}

void FillSystemMenu(QMenu* menu) {
    menu->clear();
    QAction* close = menu->addAction(QStringLiteral("&Close\tAlt+F4"));
    close->setData(SC_CLOSE);
}

// A dialog window: keys, the close button and right-clicks become the
// dialog manager's messages to the window's owner in the layer.
class DialogWidget : public QDialog {
  public:
    DialogWidget(HWND handle, QWidget* parent) : QDialog(parent), m_handle(handle) {}

    void DefaultPaint(QPaintEvent* event) { QDialog::paintEvent(event); }

  protected:
    void keyPressEvent(QKeyEvent* event) override {
        const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
        switch (event->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (modifiers != Qt::NoModifier) break;
                // A focused push button takes Enter itself; everywhere else
                // it is the default button's command, unless that is disabled.
                if (HWND button = afx_backend::GetDlgItem(m_handle, m_handle->defaultId);
                    button == nullptr || button->widget->isEnabled())
                    SendCommand(m_handle, m_handle->defaultId);
                return;
            case Qt::Key_Escape:
                if (modifiers != Qt::NoModifier) break;
                SendCommand(m_handle, IDCANCEL);
                return;
            case Qt::Key_F1:
                if (modifiers != Qt::NoModifier) break;
                Send(m_handle, WM_COMMAND, ID_HELP, 0);
                return;
        }
        QWidget::keyPressEvent(event);
    }

    void closeEvent(QCloseEvent* event) override {
        // Closing is the owner's decision: the close button is a system
        // command like any other.
        event->ignore();
        Send(m_handle, WM_SYSCOMMAND, SC_CLOSE, 0);
    }

    void contextMenuEvent(QContextMenuEvent* event) override {
        event->accept();
        ShowSystemMenu(m_handle, event->globalPos());
    }

    void paintEvent(QPaintEvent* event) override {
        m_handle->paintEvent = event;
        Send(m_handle, WM_PAINT);
        m_handle->paintEvent = nullptr;
    }

  private:
    HWND m_handle;
};

// Sends WM_INITDIALOG once, when the window is first shown.
class InitDialogOnShow : public QObject {
  public:
    explicit InitDialogOnShow(HWND handle) : m_handle(handle) {}

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && !m_sent) {
            m_sent = true;
            Send(m_handle, WM_INITDIALOG);
        }
        return QObject::eventFilter(watched, event);
    }

  private:
    HWND m_handle;
    bool m_sent = false;
};

// The files a confirmed chooser gives. With several names typed into its
// name box Qt keeps only the last of them selected in the list and would
// return that one alone; the names the user sees in the box are the
// choice, in their order.
QStringList ChosenFiles(QFileDialog& dialog, bool multiSelect) {
    const QStringList selected = dialog.selectedFiles();
    auto* nameBox = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
    if (!multiSelect || nameBox == nullptr) return selected;
    const QString text = nameBox->text().trimmed();
    if (text.isEmpty()) return selected;
    QStringList names;
    if (text.contains(u'"')) {
        const QStringList parts = text.split(u'"');
        for (qsizetype i = 1; i < parts.size(); i += 2)
            if (!parts[i].isEmpty()) names << parts[i];
    } else {
        names << text;
    }
    QStringList files;
    for (QString name : names) {
        if (name == u'~' || name.startsWith(QStringLiteral("~/")))
            name.replace(0, 1, QDir::homePath());
        files << QDir::cleanPath(dialog.directory().absoluteFilePath(name));
    }
    return files;
}

// A window's rectangle with its frame. Before it is shown the window system
// has not framed it yet; it will get the frame its owner has.
QRect FrameGeometry(QWidget* window) {
    if (window->isVisible() || window->parentWidget() == nullptr) return window->frameGeometry();
    QWindow* owner = window->parentWidget()->window()->windowHandle();
    const QMargins frame = owner != nullptr ? owner->frameMargins() : QMargins();
    return window->geometry().marginsAdded(frame);
}

int MulDiv(int number, int numerator, int denominator) {
    return static_cast<int>(std::lround(static_cast<double>(number) * numerator / denominator));
}

QRect DialogUnitsToPixels(const afx_qt::DialogBaseUnits& units, int x, int y, int cx, int cy) {
    return QRect(MulDiv(x, units.x, 4), MulDiv(y, units.y, 8), MulDiv(cx, units.x, 4),
                 MulDiv(cy, units.y, 8));
}

// Windows draws a read-only edit box on the dialog's face colour.
void ShowAsReadOnly(QLineEdit* edit) {
    edit->setReadOnly(true);
    QPalette palette = edit->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Window));
    edit->setPalette(palette);
}

QWidget* CreateControl(HWND dialog, HWND control, const DialogItem& item, QWidget* parent) {
    const QString text = FromUtf8(item.text);
    switch (item.controlClass) {
        case ControlClass::Static: {
            control->kind = WindowKind::Static;
            auto* label = new QLabel(parent);
            if ((item.style & SS_TYPEMASK) == SS_ICON) {
                if (HICON icon = delvaro::FindIconResource(item.iconId))
                    label->setPixmap(PixmapOf(icon));
                return label;
            }
            label->setTextFormat(Qt::PlainText);
            label->setText(text);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            return label;
        }
        case ControlClass::Edit: {
            control->kind = WindowKind::Edit;
            auto* edit = new QLineEdit(parent);
            edit->setFrame((item.style & WS_BORDER) != 0);
            if ((item.style & ES_READONLY) != 0) ShowAsReadOnly(edit);
            return edit;
        }
        case ControlClass::Button: {
            control->kind = WindowKind::Button;
            auto* button = new QPushButton(text, parent);
            if ((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
                button->setDefault(true);
                dialog->defaultId = item.id;
            }
            const int id = item.id;
            QObject::connect(button, &QPushButton::clicked, button,
                             [dialog, id] { SendCommand(dialog, id); });
            return button;
        }
        case ControlClass::ListBox:
            control->kind = WindowKind::ListBox;
            return new QListWidget(parent);
        case ControlClass::ComboBox:
            control->kind = WindowKind::ComboBox;
            return new QComboBox(parent);
    }
    return nullptr;
}

// The template's font is the platform's default sans-serif at the
// template's size; fonts here run wider for their average letter than the
// one the template was drawn with, so a text that would be cut at the
// right is given the free room beside it, up to the dialog's margin and
// never over another control.
void WidenStaticTexts(HWND dialog, int margin) {
    QWidget* window = dialog->widget;
    for (const auto& control : dialog->controls) {
        auto* label = qobject_cast<QLabel*>(control->widget.data());
        if (label == nullptr || label->text().isEmpty()) continue;
        const int needed = label->fontMetrics().horizontalAdvance(label->text());
        QRect rect = label->geometry();
        if (needed <= rect.width()) continue;
        int limit = window->width() - margin;
        for (const auto& other : dialog->controls) {
            const QRect o = other->widget->geometry();
            if (other.get() == control.get() || !other->widget->isVisibleTo(window)) continue;
            if (o.left() >= rect.right() && o.top() <= rect.bottom() && o.bottom() >= rect.top())
                limit = std::min(limit, o.left() - 1);
        }
        rect.setWidth(std::max(rect.width(), std::min(needed, limit - rect.left())));
        label->setGeometry(rect);
    }
}

}  // namespace

namespace afx_qt {

QWidget* WidgetOf(HWND window) { return window != nullptr ? window->widget.data() : nullptr; }

DialogBaseUnits BaseUnitsOf(const QFont& font) {
    const QFontMetrics metrics(font);
    const int letters = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(letters / 26 + 1) / 2, metrics.height()};
}

QStringList NameFilters(const std::vector<std::pair<std::string, std::string>>& filters) {
    QStringList result;
    for (const auto& [name, patternList] : filters) {
        QStringList patterns;
        for (QString pattern : FromUtf8(patternList.c_str()).split(u';', Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            if (pattern.isEmpty()) continue;
            if (pattern == QStringLiteral("*.*")) {
                pattern = QStringLiteral("*");
            } else {
#if !defined(_WIN32) && !defined(__APPLE__)
                QString anyCase;
                for (QChar c : pattern) {
                    if (c.isLetter() && c.toLower() != c.toUpper())
                        anyCase += u'[' + c.toLower() + c.toUpper() + u']';
                    else
                        anyCase += c;
                }
                pattern = anyCase;
#endif
            }
            patterns << pattern;
        }
        if (patterns.isEmpty()) patterns << QStringLiteral("*");
        // The chooser hides the part in the last parentheses and shows the
        // display name as written.
        result << FromUtf8(name.c_str()) + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return result;
}

}  // namespace afx_qt

namespace afx_backend {

using afx_qt::BaseUnitsOf;
using afx_qt::DialogBaseUnits;
using afx_qt::WidgetOf;

bool Initialize(int& argc, char** argv) {
    if (g_application != nullptr) return true;
#if defined(__unix__) && !defined(__APPLE__)
    // Without a display Qt would end the process; say so and let the
    // program end cleanly instead.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
#endif
    g_application = new QApplication(argc, argv);
    // QApplication takes the whole C locale from the environment; numbers
    // are written and read with a '.' whatever the user's language.
    std::setlocale(LC_NUMERIC, "C");
    QGuiApplication::setDesktopFileName(
        QFileInfo(QCoreApplication::applicationFilePath()).baseName());
    return true;
}

void Shutdown() {
    Pixmaps().clear();
    delete g_application;
    g_application = nullptr;
    g_waitCursorShown = false;
}

std::string ModuleFileName() {
    return QFile::encodeName(QCoreApplication::applicationFilePath()).toStdString();
}

void SetApplicationIcon(HICON icon) {
    if (icon != nullptr) QApplication::setWindowIcon(QIcon(PixmapOf(icon)));
}

HWND CreateDialogWindow(const DialogTemplate& dialog, HWND owner, MessageSink* sink) {
    auto handle = std::make_unique<HWND__>();
    handle->kind = WindowKind::Dialog;
    handle->sink = sink;
    handle->id = static_cast<int>(dialog.id);
    handle->style = dialog.style;
    auto* window = new DialogWidget(handle.get(), WidgetOf(owner));
    handle->widget = window;

    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if ((dialog.style & WS_SYSMENU) != 0) {
        flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        handle->systemMenu.menu = new QMenu(window);
        FillSystemMenu(handle->systemMenu.menu);
        // Alt+Space, where the window manager leaves the key to the window;
        // a shortcut, so that an edit box does not take it as a blank.
        auto* altSpace = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_Space), window);
        HWND dialogHandle = handle.get();
        QObject::connect(altSpace, &QShortcut::activated, window, [dialogHandle, window] {
            ShowSystemMenu(dialogHandle, window->mapToGlobal(QPoint(0, 0)));
        });
    }
    window->setWindowFlags(flags);
    window->setWindowModality(Qt::ApplicationModal);
    window->setWindowTitle(FromUtf8(dialog.caption));

    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    if (dialog.pointSize > 0) font.setPointSize(dialog.pointSize);
    window->setFont(font);
    const DialogBaseUnits units = BaseUnitsOf(font);
    const QRect client = DialogUnitsToPixels(units, 0, 0, dialog.cx, dialog.cy);
    window->setFixedSize(client.size());

    QWidget* previousTabStop = nullptr;
    for (int i = 0; i < dialog.itemCount; ++i) {
        const DialogItem& item = dialog.items[i];
        auto control = std::make_unique<HWND__>();
        control->id = item.id;
        control->style = item.style;
        QWidget* widget = CreateControl(handle.get(), control.get(), item, window);
        control->widget = widget;
        widget->setProperty(kControlIdProperty, item.id);
        QRect rect = DialogUnitsToPixels(units, item.x, item.y, item.cx, item.cy);
        // An icon keeps its own size; a drop-down list is one line high.
        if (item.controlClass == ControlClass::Static && (item.style & SS_TYPEMASK) == SS_ICON)
            rect.setSize(QSize(kIconSize, kIconSize));
        else if (item.controlClass == ControlClass::ComboBox)
            rect.setHeight(widget->sizeHint().height());
        widget->setGeometry(rect);
        widget->setVisible((item.style & WS_VISIBLE) != 0);
        widget->setEnabled((item.style & WS_DISABLED) == 0);
        if (item.controlClass == ControlClass::Static) {
            widget->setFocusPolicy(Qt::NoFocus);
        } else if ((item.style & WS_TABSTOP) != 0) {
            widget->setFocusPolicy(Qt::StrongFocus);
            if (previousTabStop != nullptr) QWidget::setTabOrder(previousTabStop, widget);
            previousTabStop = widget;
        } else {
            widget->setFocusPolicy(Qt::ClickFocus);
        }
        handle->controls.push_back(std::move(control));
    }
    // An '&' in a static text marks its mnemonic, which moves the focus to
    // the control after it.
    for (size_t i = 0; i + 1 < handle->controls.size(); ++i) {
        auto* label = qobject_cast<QLabel*>(handle->controls[i]->widget.data());
        if (label != nullptr && (handle->controls[i]->style & SS_NOPREFIX) == 0 &&
            label->text().contains(u'&'))
            label->setBuddy(handle->controls[i + 1]->widget);
    }
    WidenStaticTexts(handle.get(), MulDiv(7, units.x, 4));
    return handle.release();
}

void DestroyWindow(HWND window) {
    if (window == nullptr || window->kind == WindowKind::Desktop) return;
    delete window->widget.data();
    delete window;
}

int RunModalLoop(HWND window) {
    auto* dialog = qobject_cast<QDialog*>(WidgetOf(window));
    if (dialog == nullptr) return IDCANCEL;
    window->modalResult = IDCANCEL;
    dialog->exec();
    return window->modalResult;
}

void EndModalLoop(HWND window, int result) {
    window->modalResult = result;
    if (auto* dialog = qobject_cast<QDialog*>(WidgetOf(window))) dialog->done(result);
}

LRESULT SendMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return Send(window, message, wParam, lParam);
}

LRESULT DefWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (window == nullptr) return 0;
    switch (message) {
        case WM_SYSCOMMAND:
            // The dialog manager turns the close command into Cancel.
            if ((wParam & 0xFFF0) == SC_CLOSE && window->kind == WindowKind::Dialog)
                SendCommand(window, IDCANCEL);
            return 0;
        case WM_PAINT:
            if (window->paintEvent != nullptr)
                static_cast<DialogWidget*>(window->widget.data())->DefaultPaint(window->paintEvent);
            return 0;
        case WM_ICONERASEBKGND:
            if (auto* dc = reinterpret_cast<HDC>(wParam))
                dc->painter.fillRect(window->widget->rect(), window->widget->palette().window());
            return 1;
        case WM_SETICON:
            SetIcon(window, reinterpret_cast<HICON>(lParam), wParam == ICON_BIG);
            return 0;
    }
    return 0;
}

HWND GetDlgItem(HWND dialog, int id) {
    if (dialog == nullptr) return nullptr;
    for (const auto& control : dialog->controls)
        if (control->id == id) return control.get();
    return nullptr;
}

HWND GetNextDlgTabItem(HWND dialog, HWND control, bool previous) {
    std::vector<HWND> stops;
    for (const auto& item : dialog->controls)
        if ((item->style & WS_TABSTOP) != 0 && item->widget->isEnabled() &&
            item->widget->isVisibleTo(dialog->widget))
            stops.push_back(item.get());
    if (stops.empty()) return nullptr;
    if (control == nullptr) return previous ? stops.back() : stops.front();
    const auto at = std::find(stops.begin(), stops.end(), control);
    if (at == stops.end()) return stops.front();
    const size_t index = static_cast<size_t>(at - stops.begin());
    const size_t count = stops.size();
    return stops[previous ? (index + count - 1) % count : (index + 1) % count];
}

bool IsEditControl(HWND window) { return window != nullptr && window->kind == WindowKind::Edit; }

std::string GetWindowText(HWND window) {
    QWidget* widget = WidgetOf(window);
    QString text;
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        text = edit->text();
    else if (auto* label = qobject_cast<QLabel*>(widget))
        text = label->text();
    else if (auto* button = qobject_cast<QPushButton*>(widget))
        text = button->text();
    else if (widget != nullptr && widget->isWindow())
        text = widget->windowTitle();
    return text.toStdString();
}

void SetWindowText(HWND window, const char* text) {
    QWidget* widget = WidgetOf(window);
    const QString value = FromUtf8(text);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        edit->setText(value);
        // The start of a long text shows, as in an edit box just filled.
        edit->setCursorPosition(0);
    } else if (auto* label = qobject_cast<QLabel*>(widget)) {
        label->setText(value);
    } else if (auto* button = qobject_cast<QPushButton*>(widget)) {
        button->setText(value);
    } else if (widget != nullptr && widget->isWindow()) {
        widget->setWindowTitle(value);
    }
    // A conversion keeps the event loop waiting until it ends; painting now
    // lets the user follow its progress.
    if (widget != nullptr && widget->isVisible()) widget->repaint();
}

void SetFocus(HWND window) {
    if (QWidget* widget = WidgetOf(window)) widget->setFocus(Qt::OtherFocusReason);
}

void SetSel(HWND edit, int start, int end) {
    auto* line = qobject_cast<QLineEdit*>(WidgetOf(edit));
    if (line == nullptr) return;
    if (start == 0 && end < 0)
        line->selectAll();
    else
        line->setSelection(start, (end < 0 ? static_cast<int>(line->text().size()) : end) - start);
}

RECT GetWindowRect(HWND window) {
    QRect rect;
    if (window == nullptr || window->kind == WindowKind::Desktop) {
        rect = QGuiApplication::primaryScreen()->geometry();
    } else if (QWidget* widget = WidgetOf(window)) {
        rect = widget->isWindow() ? FrameGeometry(widget)
                                  : QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    }
    return RECT{rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}

RECT GetClientRect(HWND window) {
    QSize size;
    if (window == nullptr || window->kind == WindowKind::Desktop)
        size = QGuiApplication::primaryScreen()->geometry().size();
    else if (QWidget* widget = WidgetOf(window))
        size = widget->size();
    return RECT{0, 0, size.width(), size.height()};
}

void MoveWindow(HWND window, int x, int y, int width, int height, bool repaint) {
    QWidget* widget = WidgetOf(window);
    if (widget == nullptr) return;
    if (widget->isWindow()) {
        // Position and size count the frame; Qt sizes the inside.
        const QSize frameExtra = FrameGeometry(widget).size() - widget->size();
        widget->move(x, y);
        const QSize inside(width - frameExtra.width(), height - frameExtra.height());
        if (inside != widget->size()) widget->resize(inside);
    } else {
        widget->setGeometry(x, y, width, height);
    }
    if (repaint && widget->isVisible()) widget->update();
}

bool IsWindowVisible(HWND window) {
    QWidget* widget = WidgetOf(window);
    return widget != nullptr && widget->isVisible();
}

bool IsIconic(HWND window) {
    QWidget* widget = WidgetOf(window);
    return widget != nullptr && widget->isMinimized();
}

void SetIcon(HWND window, HICON icon, bool) {
    // One icon serves both sizes here; the window system scales it.
    if (QWidget* widget = WidgetOf(window); widget != nullptr && icon != nullptr)
        widget->setWindowIcon(QIcon(PixmapOf(icon)));
}

HMENU GetSystemMenu(HWND window, bool revert) {
    if (window == nullptr || window->systemMenu.menu == nullptr) return nullptr;
    if (revert) {
        FillSystemMenu(window->systemMenu.menu);
        return nullptr;
    }
    return &window->systemMenu;
}

bool AppendMenu(HMENU menu, UINT flags, UINT id, const char* text) {
    if (menu == nullptr || menu->menu == nullptr) return false;
    if ((flags & MF_SEPARATOR) != 0) {
        menu->menu->addSeparator();
    } else {
        QAction* action = menu->menu->addAction(FromUtf8(text));
        action->setData(id);
    }
    return true;
}

HWND GetDesktopWindow() {
    static HWND__ desktop;
    return &desktop;
}

int GetSystemMetrics(int index) {
    switch (index) {
        case SM_CXSCREEN:
            return QGuiApplication::primaryScreen()->geometry().width();
        case SM_CYSCREEN:
            return QGuiApplication::primaryScreen()->geometry().height();
        case SM_CXICON:
        case SM_CYICON:
            return kIconSize;
    }
    return 0;
}

RECT GetWorkArea(HWND nearWindow) {
    QWidget* widget = WidgetOf(nearWindow);
    QScreen* screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen->availableGeometry();
    return RECT{area.left(), area.top(), area.left() + area.width(), area.top() + area.height()};
}

HDC BeginPaint(HWND window) {
    if (window == nullptr || window->paintEvent == nullptr) return nullptr;
    return new HDC__(window->widget);
}

void EndPaint(HWND, HDC dc) { delete dc; }

void DrawIcon(HDC dc, int x, int y, HICON icon) {
    if (dc != nullptr && icon != nullptr) dc->painter.drawPixmap(x, y, PixmapOf(icon));
}

int MessageBox(HWND owner, const char* text, const char* caption, UINT type) {
    QMessageBox box(WidgetOf(owner));
    box.setWindowTitle(FromUtf8(caption));
    // A file name is shown as it is, never read as markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(FromUtf8(text));
    switch (type & MB_ICONMASK) {
        case MB_ICONHAND:
            box.setIcon(QMessageBox::Critical);
            break;
        case MB_ICONQUESTION:
            box.setIcon(QMessageBox::Question);
            break;
        case MB_ICONEXCLAMATION:
            box.setIcon(QMessageBox::Warning);
            break;
        case MB_ICONASTERISK:
            box.setIcon(QMessageBox::Information);
            break;
    }
    switch (type & MB_TYPEMASK) {
        case MB_OKCANCEL:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MB_YESNO:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MB_YESNOCANCEL:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        default:
            box.setStandardButtons(QMessageBox::Ok);
            break;
    }
    box.setWindowModality(Qt::ApplicationModal);
    switch (box.exec()) {
        case QMessageBox::Ok:
            return IDOK;
        case QMessageBox::Yes:
            return IDYES;
        case QMessageBox::No:
            return IDNO;
    }
    return IDCANCEL;
}

void ShowHelp(HWND owner, const char* caption, const char* text) {
    QMessageBox box(QMessageBox::Information, FromUtf8(caption), FromUtf8(text), QMessageBox::Ok,
                    WidgetOf(owner));
    box.setTextFormat(Qt::PlainText);
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

void SetWaitCursor(bool shown) {
    if (shown == g_waitCursorShown || g_application == nullptr) return;
    g_waitCursorShown = shown;
    if (shown)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
    // A command that runs processes no events (the user's clicks must wait
    // for it), so the new cursor would reach the window system only with
    // the next paint; painting the window now sends it.
    if (QWidget* window = QApplication::activeWindow()) window->repaint();
}

bool RunFileDialog(const FileDialogRequest& request, MessageSink* sink,
                   std::vector<std::string>& chosen) {
    // Qt's own chooser, the same on every desktop: the program places it.
    QFileDialog dialog(WidgetOf(request.owner), FromUtf8(request.title.c_str()),
                       FromUtf8(request.initialDirectory.c_str()));
    dialog.setOptions(QFileDialog::DontUseNativeDialog | QFileDialog::HideNameFilterDetails |
                      QFileDialog::DontConfirmOverwrite);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // A single choice may name a file that does not exist yet.
    dialog.setFileMode(request.multiSelect ? QFileDialog::ExistingFiles : QFileDialog::AnyFile);
    const QStringList filters = afx_qt::NameFilters(request.filters);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        dialog.selectNameFilter(filters.value(request.filterIndex, filters.first()));
    }
    if (!request.initialName.empty()) dialog.selectFile(FromUtf8(request.initialName.c_str()));
    dialog.setWindowModality(Qt::ApplicationModal);

    HWND__ handle;
    handle.kind = WindowKind::FileDialog;
    handle.sink = sink;
    handle.widget = &dialog;
    // The chooser takes its final size as it is shown; it is placed then,
    // before the window system maps it.
    InitDialogOnShow initOnShow(&handle);
    dialog.installEventFilter(&initOnShow);
    if (dialog.exec() != QDialog::Accepted) return false;
    for (const QString& file : ChosenFiles(dialog, request.multiSelect))
        chosen.push_back(QFile::encodeName(QDir::toNativeSeparators(file)).toStdString());
    return true;
}

}  // namespace afx_backend
