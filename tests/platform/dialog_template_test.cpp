// Every dialog template built into real widgets in the platform's font:
// nothing cut off, nothing overlapping, everything inside the window.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QWidget>

#include "platform/backend.h"
#include "platform/qt/qt_backend.h"
#include "res/resource.h"
#include "res/resources.h"
#include "ui_driver.h"

namespace {

TEST(DialogTemplates, LayOutInThePlatformFontWithNothingCutOrOverlapping) {
    for (unsigned id : {IDD_ABOUTBOX, IDD_CONVERT_DIALOG, IDD_CHOOSE_DIRECTORY}) {
        SCOPED_TRACE(id);
        const DialogTemplate* dialog = delvaro::FindDialogTemplate(id);
        ASSERT_NE(dialog, nullptr);
        HWND window = afx_backend::CreateDialogWindow(*dialog, nullptr, nullptr);
        QWidget* widget = afx_qt::WidgetOf(window);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->windowTitle().toStdString(), dialog->caption);

        std::vector<QWidget*> controls;
        for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (child->property("afxControlId").isValid() && child->isVisibleTo(widget))
                controls.push_back(child);
        EXPECT_EQ(static_cast<int>(controls.size()), dialog->itemCount);

        for (QWidget* control : controls) {
            const QRect rect = control->geometry();
            EXPECT_TRUE(widget->rect().contains(rect)) << control->metaObject()->className();
            QString text;
            if (auto* label = qobject_cast<QLabel*>(control)) text = label->text();
            if (auto* button = qobject_cast<QAbstractButton*>(control))
                text = button->text().remove(u'&');
            if (!text.isEmpty()) {
                EXPECT_LE(control->fontMetrics().horizontalAdvance(text), rect.width())
                    << text.toStdString();
            }
            for (QWidget* other : controls) {
                if (other == control) continue;
                EXPECT_FALSE(rect.intersects(other->geometry()))
                    << control->metaObject()->className() << " and "
                    << other->metaObject()->className();
            }
        }
        ui::SaveScreenshot(widget, "template_" + std::to_string(id));
        afx_backend::DestroyWindow(window);
    }
}

}  // namespace
