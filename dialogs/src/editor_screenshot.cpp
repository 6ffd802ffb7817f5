// One dialog of the standards editor rendered offscreen to a PNG, filled from
// the station as a user would fill it, for documentation and for stdhost
// editor --screenshot.
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <cstdlib>
#include <memory>
#include <string>

#include "dialogs/editor.h"
#include "dialogs/mask_dlg.h"
#include "dialogs/qt_messages.h"
#include "dialogs/qt_text.h"
#include "dialogs/resource_ids.h"
#include "dialogs/standar_for_cx.h"
#include "dialogs/std_info_dlg.h"
#include "dialogs/val_set.h"
#include "editor_app.h"
#include "generator/sergen_module.h"
#include "platform/atomic_file.h"
#include "platform/trace.h"
#include "widgets/report_ctrl.h"

namespace dialogs {
namespace {

// While rendering, message boxes go to the trace and are answered Cancel:
// nobody sees an offscreen box.
class TracedBoxes {
  public:
    TracedBoxes() {
        SetBoxAnswerer([](const BoxRequest &request) {
            std::string gbk;
            if (QStringToGbk(request.text, gbk)) platform::Trace(gbk + "\n");
            return false;
        });
    }
    ~TracedBoxes() { SetBoxAnswerer({}); }
    TracedBoxes(const TracedBoxes &) = delete;
    TracedBoxes &operator=(const TracedBoxes &) = delete;
};

void Settle() {
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
}

// Puts `text` into the control numbered `id` as a user would: an edit's text,
// or the combo box entry of that text, picked (or typed when it has none).
void SetField(QWidget *dialog, int id, const QString &text) {
    if (auto *edit = FindByResourceId<QLineEdit>(dialog, id)) {
        edit->setText(text);
    } else if (auto *combo = FindByResourceId<QComboBox>(dialog, id)) {
        const int index = combo->findText(text);
        if (index >= 0) {
            combo->setCurrentIndex(index);
            emit combo->activated(index);
        } else if (combo->isEditable()) {
            combo->setEditText(text);
        }
    }
}

// The conditions of the sample vehicle 1-sedan: a petrol sedan in use.
void FillSampleSedan(QWidget *conditions) {
    namespace ids = conditions_ids;
    struct Field {
        int id;
        const char16_t *text;
    };
    static constexpr Field kSedan[] = {
        {ids::kTotalMassEdit, u"1580"},       {ids::kSeatsEdit, u"5"},
        {ids::kCurbMassEdit, u"1230"},        {ids::kMaxSpeedEdit, u"185"},
        {ids::kDriveTypeBox, u"4x2前驱"},     {ids::kVehicleKindBox, u"轿车"},
        {ids::kLampSystemBox, u"两灯制"},     {ids::kFuelBox, u"汽油"},
        {ids::kCatalystBox, u"有催化转化器"},
    };
    for (const Field &f : kSedan) SetField(conditions, f.id, QString::fromUtf16(f.text));
}

// The upper and lower limit texts of the list's first row, by column heading.
void FirstRowLimits(QWidget *main, QString &upper, QString &lower) {
    auto *list = main->findChild<widgets::ReportCtrl *>(QStringLiteral(u"limitList"));
    if (list == nullptr || list->RowCount() == 0) return;
    for (int c = 0; c < list->columnCount(); ++c) {
        const QTableWidgetItem *heading = list->horizontalHeaderItem(c);
        if (heading == nullptr) continue;
        if (heading->text().contains(QStringLiteral(u"上限"))) upper = list->CellText(0, c);
        if (heading->text().contains(QStringLiteral(u"下限"))) lower = list->CellText(0, c);
    }
}

QPixmap Render(StandarForCX &main, generator::EditorSession &session, Screen screen) {
    switch (screen) {
        case Screen::kMain:
            return main.grab();
        case Screen::kConditions: {
            StdInfoDlg *conditions = main.ConditionsDialog();
            if (conditions == nullptr) return {};
            conditions->show();
            FillSampleSedan(conditions);
            Settle();
            QPixmap shot = conditions->grab();
            conditions->hide();
            return shot;
        }
        case Screen::kMask: {
            MaskDlg mask(session, &main);
            mask.show();
            mask.FillList();
            Settle();
            QPixmap shot = mask.grab();
            mask.hide();
            return shot;
        }
        case Screen::kLimit: {
            QString upper, lower;
            FirstRowLimits(&main, upper, lower);
            ValSet *limit = main.LimitDialog();
            std::unique_ptr<ValSet> own;
            if (limit == nullptr) {
                own = std::make_unique<ValSet>(&main);
                limit = own.get();
            }
            limit->SetTexts(upper, lower);
            limit->show();
            Settle();
            QPixmap shot = limit->grab();
            limit->hide();
            return shot;
        }
    }
    return {};
}

// The PNG of `shot` through the project's writer: a device or FIFO is written
// in place, a directory is refused, a file replaced atomically.
bool SavePng(const QPixmap &shot, const std::string &path) {
    QByteArray png;
    QBuffer buffer(&png);
    return !shot.isNull() && buffer.open(QIODevice::WriteOnly) && shot.save(&buffer, "PNG") &&
           platform::WriteFileAtomically(
               path, std::string_view(png.constData(), static_cast<std::size_t>(png.size()))) ==
               platform::AtomicWriteResult::kOk;
}

}  // namespace

bool ScreenNamed(const std::string &name, Screen &screen) {
    if (name == "main")
        screen = Screen::kMain;
    else if (name == "conditions")
        screen = Screen::kConditions;
    else if (name == "mask")
        screen = Screen::kMask;
    else if (name == "limit")
        screen = Screen::kLimit;
    else
        return false;
    return true;
}

bool RenderScreenshot(generator::SergenModule &module, ExtRect rect, const void *moduleAddress,
                      Screen screen, const std::string &brandUtf8, const std::string &seriesUtf8,
                      const std::string &path) {
    try {
        if (QCoreApplication::instance() == nullptr &&
            !NamesHeadlessPlatform(std::getenv("QT_QPA_PLATFORM")))
            ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
        module.editorRect = ToEditorRect(rect);
        if (EnsureApplication() == nullptr) return false;
        TracedBoxes boxes;
        QtMessageSink sink;
        generator::EditorSession session(
            module.editor, [&module] { return module.Connection(); }, sink);
        session.Open(moduleAddress);
        bool saved = false;
        {
            WidgetSweep sweep;
            auto main = std::make_unique<StandarForCX>(session, module.editorRect);
            UseOwnWindowIfAsked(*main);
            sink.SetParent(main.get());
            main->show();
            main->FirstLoad();
            if (!brandUtf8.empty())
                main->ChooseSeries(QString::fromUtf8(brandUtf8), QString::fromUtf8(seriesUtf8));
            Settle();
            const QPixmap shot = Render(*main, session, screen);
            saved = SavePng(shot, path);
            sink.SetParent(nullptr);
            main->hide();
        }
        session.Close();
        return saved;
    } catch (...) {
        return false;
    }
}

}  // namespace dialogs
