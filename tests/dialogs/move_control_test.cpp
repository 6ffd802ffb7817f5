// The layout object of the resizable dialogs and the dialog font of
// loginset.ini, on Qt's offscreen platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "dialogs/move_control.h"
#include "temp_dir.h"

namespace {

using dialogs::DialogFont;
using dialogs::MoveControl;

// Every test runs in a fresh directory, so loginset.ini is the test's own.
class MoveControlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "layout_tests";
        static char *argv[] = {name, nullptr};
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (QApplication::instance() == nullptr) new QApplication(argc, argv);  // never freed
    }
    MoveControlTest() : home_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir_.Path());
        dialog_.resize(400, 300);
        label_->setGeometry(10, 10, 100, 4);
        edit_->setGeometry(10, 30, 150, 40);
        list_->setGeometry(10, 100, 380, 150);
        combo_->addItems({QStringLiteral("甲"), QStringLiteral("一个很长的选项")});
        combo_->setGeometry(200, 30, 150, 30);
    }
    ~MoveControlTest() override { std::filesystem::current_path(home_); }

    testing_support::TempDir dir_;
    std::filesystem::path home_;
    QWidget dialog_;
    QLabel *label_ = new QLabel(QStringLiteral("名称"), &dialog_);
    QLineEdit *edit_ = new QLineEdit(&dialog_);
    QListWidget *list_ = new QListWidget(&dialog_);
    QComboBox *combo_ = new QComboBox(&dialog_);
};

TEST_F(MoveControlTest, FirstLayoutKeepsPlacesAndLaterOnesScaleEdges) {
    MoveControl layout;
    layout.Bind(&dialog_);
    layout.Layout();
    const int labelHeight = QFontMetrics(label_->font()).height() + 2;
    EXPECT_EQ(label_->font().pointSizeF(), 12.0);
    EXPECT_EQ(label_->geometry(), QRect(10, 10, 100, labelHeight));  // raised to its text
    EXPECT_EQ(edit_->geometry(), QRect(10, 30, 150, 40));
    EXPECT_EQ(list_->geometry(), QRect(10, 100, 380, 150));
    // A QComboBox's geometry is the closed box: no room is added for its list.
    EXPECT_EQ(combo_->geometry(), QRect(200, 30, 150, 30));
    const QFontMetrics comboMetrics = combo_->fontMetrics();
    EXPECT_GT(combo_->view()->minimumWidth(),
              comboMetrics.horizontalAdvance(QStringLiteral("一个很长的选项")));
    EXPECT_EQ(MoveControl::SizeDropDown(combo_), 2 * (comboMetrics.height() + 5));

    dialog_.resize(0, 300);  // minimised: nothing moves, the base stays
    layout.Layout();
    EXPECT_EQ(layout.BaseRect(), QRect(0, 0, 400, 300));
    dialog_.resize(800, 600);
    layout.Layout();
    EXPECT_EQ(label_->geometry(), QRect(20, 20, 200, labelHeight));
    EXPECT_EQ(edit_->geometry(), QRect(20, 60, 300, 40));
    EXPECT_EQ(list_->geometry(), QRect(20, 200, 760, 300));
    EXPECT_EQ(combo_->geometry(), QRect(400, 60, 300, 30));
    EXPECT_EQ(layout.BaseRect(), QRect(0, 0, 800, 600));
}

// Left edge 1 grown by 1.5 three times: 1, 1 (carry 1.0), then the carry
// passes one and gives 2. Only the first kMaxControls visible children carry.
TEST_F(MoveControlTest, HiddenChildrenTakeNoCarryAndChildrenPastTheLimitCarryNone) {
    dialog_.resize(200, 200);
    std::vector<QFrame *> hidden, shown;
    for (int i = 0; i < 2; ++i) hidden.push_back(new QFrame(&dialog_));
    for (int i = 0; i < 600; ++i) shown.push_back(new QFrame(&dialog_));
    for (QFrame *f : hidden) f->hide();
    for (auto *group : {&hidden, &shown})
        for (QFrame *f : *group) f->setGeometry(1, 1, 2, 60);
    MoveControl layout;
    layout.Bind(&dialog_);
    for (int width : {300, 450, 675}) {
        dialog_.resize(width, 200);
        layout.Layout();
    }
    EXPECT_EQ(hidden[1]->geometry(), QRect(1, 1, 2, 60));
    EXPECT_EQ(shown[0]->geometry(), QRect(2, 1, 7, 60));
    EXPECT_EQ(shown[MoveControl::kMaxControls - 5]->x(), 2);  // after the four controls
    EXPECT_EQ(shown[MoveControl::kMaxControls - 4]->geometry(), QRect(1, 1, 8, 60));
}

TEST_F(MoveControlTest, DialogFontComesFromLoginSet) {
    const DialogFont missing = DialogFont::FromLoginSet();
    EXPECT_EQ(missing.tenthsOfPoint, 120);
    EXPECT_EQ(missing.face, QStringLiteral("幼圆"));

    // "A" and 15 two-byte characters: 31 bytes, cut to 29 on a character boundary.
    testing_support::WriteBytes(dir_.File("loginset.ini"),
                                "[DLGFONT]\nFONTSIZE=95pt\nFONTFOCENAME=A" +
                                    testing_support::Gbk("圆圆圆圆圆圆圆圆圆圆圆圆圆圆圆") + "\n");
    const DialogFont cut = DialogFont::FromLoginSet();
    EXPECT_EQ(cut.tenthsOfPoint, 95);
    EXPECT_EQ(cut.face, QStringLiteral("A圆圆圆圆圆圆圆圆圆圆圆圆圆圆"));

    // No digits: size 0, so the children keep the dialog's own size.
    testing_support::WriteBytes(dir_.File("loginset.ini"), "[DLGFONT]\nFONTSIZE=big\n");
    QFont big = dialog_.font();
    big.setPointSize(20);
    dialog_.setFont(big);
    MoveControl layout;
    layout.Bind(&dialog_);
    layout.Layout();
    EXPECT_EQ(layout.Font().tenthsOfPoint, 0);
    EXPECT_EQ(edit_->font().pointSizeF(), 20.0);
}

// Qt would draw missing glyphs from some fallback font anyway; the family the
// dialog font resolves to must itself be a Chinese one (幼圆 is a Windows font).
TEST_F(MoveControlTest, TheDialogFontResolvesToAChineseFamily) {
    for (const QString &face : {QStringLiteral("幼圆"), QStringLiteral("NoSuchFace"), QString()}) {
        const QFont font = DialogFont{120, face}.ToFont();
        const QString family = QFontInfo(font).family();
        EXPECT_TRUE(
            QFontDatabase::writingSystems(family).contains(QFontDatabase::SimplifiedChinese))
            << face.toStdString() << " resolves to " << family.toStdString();
    }
}

}  // namespace
