// The report list and the icon button, driven as a dialog drives them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QSignalSpy>
#include <QTest>
#include <cstdlib>

#include "widgets/btn_st.h"
#include "widgets/report_ctrl.h"

namespace {

using widgets::ReportCtrl;

class WidgetsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "widgets_tests";
        static char *argv[] = {name, nullptr};
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);  // never freed
    }
};

TEST_F(WidgetsTest, ColumnsComeFromNameWidthPairsAndHiddenColumnsKeepData) {
    ReportCtrl list;
    ASSERT_TRUE(list.SetColumns(QStringLiteral("名称,120;key,0;数值,60;")));
    EXPECT_EQ(list.horizontalHeaderItem(0)->text(), QStringLiteral("名称"));
    EXPECT_TRUE(list.isColumnHidden(1));
    EXPECT_EQ(list.columnWidth(2), 60);
    for (const char16_t *bad : {u"a,10;b", u"a,x;", u"a,-1", u"", u";a,10"})
        EXPECT_FALSE(list.SetColumns(QString::fromUtf16(bad)));
    EXPECT_EQ(list.columnCount(), 3);

    EXPECT_EQ(list.AppendRow({QStringLiteral("甲"), QStringLiteral("k1")}), 0);
    EXPECT_EQ(list.CellText(0, 1), QStringLiteral("k1"));
    EXPECT_EQ(list.CellText(0, 2), QString());
    EXPECT_EQ(list.rowHeight(0), list.fontMetrics().height() + 6);

    list.SetChecked(0, true);  // no check boxes yet: no state
    list.SetCheckBoxes(true);
    EXPECT_FALSE(list.IsChecked(0));
    list.AppendRow({});
    list.SetChecked(1, true);
    EXPECT_TRUE(list.IsChecked(1));
    list.SetCheckBoxes(false);
    EXPECT_FALSE(list.IsChecked(1));
    EXPECT_FALSE(list.item(1, 0)->data(Qt::CheckStateRole).isValid());  // no indicator drawn
}

TEST_F(WidgetsTest, DoubleClickMarksTheRowWithoutEditing) {
    ReportCtrl list;
    list.SetColumns(QStringLiteral("key,0;a,80;b,80"));
    list.SetRedraw(false);  // a refill paints nothing until redraw is back on
    for (int i = 0; i < 3; ++i) list.AppendRow({QString::number(i), QStringLiteral("v")});
    EXPECT_FALSE(list.viewport()->updatesEnabled());
    list.SetRedraw(true);
    EXPECT_TRUE(list.viewport()->updatesEnabled());
    list.resize(300, 200);
    list.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    QSignalSpy spy(&list, &ReportCtrl::rowDoubleClicked);
    const QPoint at = list.visualItemRect(list.item(2, 1)).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);  // a real double click's events
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 2);
    EXPECT_EQ(list.SelectionMark(), 2);
    EXPECT_TRUE(list.viewport()->findChildren<QWidget *>().isEmpty());  // no editor
    list.DeleteAllRows();
    EXPECT_EQ(list.SelectionMark(), -1);

    list.SetBkColor(QColor(10, 20, 30));
    const QImage image = list.viewport()->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() / 2, image.height() / 2), QColor(10, 20, 30));
}

TEST_F(WidgetsTest, HoverLightensTheBackgroundAndSwitchesTheTextColour) {
    widgets::BtnST button(QStringLiteral("保存"));
    QPalette pal = button.palette();
    pal.setColor(QPalette::Button, QColor(200, 100, 250));
    pal.setColor(QPalette::ButtonText, QColor(0, 0, 0));
    button.setPalette(pal);
    button.SetHoverBkOffset(30);
    button.SetHoverTextColor(QColor(255, 0, 0));
    button.resize(100, 40);
    auto colours = [&] {
        return std::pair(button.palette().color(QPalette::Button),
                         button.palette().color(QPalette::ButtonText));
    };

    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_TRUE(button.IsHovered());
    EXPECT_EQ(colours(), std::pair(QColor(230, 130, 255), QColor(255, 0, 0)));  // blue clamped
    EXPECT_EQ(button.grab().toImage().pixelColor(3, 3), QColor(230, 130, 255));

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(&button, &leave);
    EXPECT_FALSE(button.IsHovered());
    EXPECT_EQ(colours(), std::pair(QColor(200, 100, 250), QColor(0, 0, 0)));
}

}  // namespace
