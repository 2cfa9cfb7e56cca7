#include "ui_driver.h"

#include <gtest/gtest.h>

#include <QContextMenuEvent>
#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <QTimer>

namespace ui {

namespace {

constexpr int kPollMilliseconds = 20;
constexpr int kStepLimitMilliseconds = 15000;

}  // namespace

Script::Script() : m_timer(new QTimer) {
    m_timer->setInterval(kPollMilliseconds);
    QObject::connect(m_timer, &QTimer::timeout, [this] { Poll(); });
}

Script::~Script() {
    m_timer->stop();
    delete m_timer;
    if (!m_aborted && !Finished())
        ADD_FAILURE() << "the script stopped before step '" << m_steps[m_next].what << "'";
}

Script& Script::Then(std::string what, std::function<bool()> step) {
    m_steps.push_back({std::move(what), std::move(step)});
    return *this;
}

void Script::Start() { m_timer->start(); }

void Script::Poll() {
    if (m_aborted) {
        Abort();
        return;
    }
    if (Finished()) {
        m_timer->stop();
        return;
    }
    Step& step = m_steps[m_next];
    if (step.run()) {
        ++m_next;
        m_pollsOnStep = 0;
    } else if (++m_pollsOnStep * kPollMilliseconds > kStepLimitMilliseconds) {
        ADD_FAILURE() << "step '" << step.what << "' did not happen within "
                      << kStepLimitMilliseconds / 1000 << " s";
        m_aborted = true;
    }
}

void Script::Abort() {
    if (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
        dialog->reject();
        return;
    }
    m_timer->stop();
}

QWidget* ModalWithTitle(const QString& title) {
    QWidget* modal = QApplication::activeModalWidget();
    return modal != nullptr && modal->isVisible() && modal->windowTitle() == title ? modal
                                                                                   : nullptr;
}

QMenu* Popup() { return qobject_cast<QMenu*>(QApplication::activePopupWidget()); }

QWidget* Control(QWidget* dialog, int id) {
    if (dialog == nullptr) return nullptr;
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const QVariant value = child->property("afxControlId");
        if (value.isValid() && value.toInt() == id) return child;
    }
    return nullptr;
}

QLineEdit* Edit(QWidget* dialog, int id) { return qobject_cast<QLineEdit*>(Control(dialog, id)); }

QPushButton* Button(QWidget* dialog, int id) {
    return qobject_cast<QPushButton*>(Control(dialog, id));
}

QString Text(QWidget* dialog, int id) {
    QLineEdit* edit = Edit(dialog, id);
    return edit != nullptr ? edit->text() : QStringLiteral("<no edit box %1>").arg(id);
}

std::vector<QString> StaticTexts(QWidget* dialog) {
    std::vector<QString> texts;
    for (QWidget* child : dialog->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (auto* label = qobject_cast<QLabel*>(child);
            label != nullptr && !label->text().isEmpty())
            texts.push_back(label->text());
    return texts;
}

void TypeInto(QLineEdit* edit, const QString& text) {
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    QTest::keyClick(edit, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(edit, Qt::Key_Delete);
    else
        QTest::keyClicks(edit, text);
}

void PasteInto(QLineEdit* edit, const QString& text) {
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->setText(text);
}

void Click(QWidget* widget, Qt::MouseButton button, QPoint at) {
    ASSERT_NE(widget, nullptr);
    QPointer<QWidget> target(widget);
    QTimer::singleShot(0, [target, button, at] {
        if (target != nullptr) QTest::mouseClick(target, button, Qt::NoModifier, at);
    });
}

void RightClick(QWidget* widget, QPoint at) {
    ASSERT_NE(widget, nullptr);
    QPointer<QWidget> target(widget);
    QTimer::singleShot(0, [target, at] {
        if (target == nullptr) return;
        QTest::mouseClick(target, Qt::RightButton, Qt::NoModifier, at);
        // The window system follows a right-click with a context-menu event;
        // a click sent straight to a widget does not, so it comes here.
        QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
        QApplication::sendEvent(target, &event);
    });
}

void Press(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    ASSERT_NE(widget, nullptr);
    QPointer<QWidget> target(widget);
    QTimer::singleShot(0, [target, key, modifiers] {
        if (target != nullptr) QTest::keyClick(target, key, modifiers);
    });
}

void AcknowledgeMessage(QMessageBox* box) {
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->icon(), QMessageBox::Warning);
    ASSERT_EQ(box->buttons().size(), 1);
    EXPECT_EQ(box->standardButton(box->buttons().front()), QMessageBox::Ok);
    Click(box->buttons().front());
}

std::string SaveScreenshot(QWidget* widget, const std::string& name) {
    const QString folder = QStringLiteral(DELVARO_BUILD_DIR "/screenshots");
    QDir().mkpath(folder);
    const QString path = folder + u'/' + QString::fromStdString(name) + QStringLiteral(".png");
    EXPECT_TRUE(widget->grab().save(path)) << "cannot write " << path.toStdString();
    return path.toStdString();
}

}  // namespace ui
