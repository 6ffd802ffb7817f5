#pragma once
// The resource numbers of the editor's dialogs and of their controls, and how
// a widget carries its number. Every dialog and control has a descriptive
// object name ("brandBox", "okButton"), which lookups by name use; a widget
// the dialog templates number also holds that number in the dynamic property
// "resourceId", found with FindByResourceId.
#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QWidget>

namespace dialogs {

// The dynamic property that holds a widget's resource number.
inline constexpr char kResourceIdProperty[] = "resourceId";

// Gives `widget` its object name and records its resource number.
inline void NameControl(QObject *widget, const QString &name, int resourceId) {
    widget->setObjectName(name);
    widget->setProperty(kResourceIdProperty, resourceId);
}

// The control of `parent` of type T that carries `resourceId`, or null. A
// dialog's controls are its direct children; the dialogs it owns are windows
// numbered on their own, so neither they nor their controls are searched.
template <typename T>
T *FindByResourceId(const QObject *parent, int resourceId) {
    const QList<T *> children = parent->findChildren<T *>(Qt::FindDirectChildrenOnly);
    for (T *child : children) {
        const auto *widget = qobject_cast<const QWidget *>(child);
        if (widget != nullptr && widget->isWindow()) continue;
        const QVariant id = child->property(kResourceIdProperty);
        if (id.isValid() && id.toInt() == resourceId) return child;
    }
    return nullptr;
}

// The buttons every template numbers alike.
inline constexpr int kOkButtonId = 1;
inline constexpr int kCancelButtonId = 2;

// The main standards dialog (StandarForCX).
namespace standards_ids {
inline constexpr int kDialog = 8002;
inline constexpr int kBrandLabel = 8020;
inline constexpr int kBrandBox = 8002;
inline constexpr int kSeriesLabel = 8021;
inline constexpr int kSeriesBox = 8003;
inline constexpr int kContentBox = 8004;
inline constexpr int kTitleLabel = 8017;
inline constexpr int kMaskButton = 8022;
inline constexpr int kLimitList = 8001;
inline constexpr int kClearStandardsButton = 8018;
inline constexpr int kDefaultStandardButton = 8007;
inline constexpr int kGenerateButton = 8005;
inline constexpr int kReturnButton = kCancelButtonId;
}  // namespace standards_ids

// The limit-edit dialog (ValSet).
namespace limit_ids {
inline constexpr int kDialog = 8003;
inline constexpr int kUpperEdit = 8000;
inline constexpr int kLowerEdit = 8001;
inline constexpr int kOkButton = kOkButtonId;
inline constexpr int kCancelButton = kCancelButtonId;
}  // namespace limit_ids

// The conditions dialog of a default standard (StdInfoDlg).
namespace conditions_ids {
inline constexpr int kDialog = 8004;
inline constexpr int kTotalMassEdit = 8008;
inline constexpr int kLoadRatioEdit = 8015;
inline constexpr int kSeatsEdit = 8004;
inline constexpr int kMaxSpeedEdit = 8006;
inline constexpr int kCurbMassEdit = 8005;
inline constexpr int kDriveTypeBox = 8013;
inline constexpr int kVehicleKindBox = 8014;
inline constexpr int kFuelBox = 8011;
inline constexpr int kLampSystemBox = 8010;
inline constexpr int kCatalystBox = 8012;
inline constexpr int kIntakeBox = 8009;
inline constexpr int kStatusLabel = 8016;
inline constexpr int kOkButton = kOkButtonId;  // "生成"
inline constexpr int kCancelButton = kCancelButtonId;
}  // namespace conditions_ids

// The mask dialog (MaskDlg).
namespace mask_ids {
inline constexpr int kDialog = 8009;
inline constexpr int kParamList = 8023;
inline constexpr int kSelectAllButton = 3;
inline constexpr int kInvertButton = 4;
inline constexpr int kSaveButton = kOkButtonId;
inline constexpr int kCancelButton = kCancelButtonId;
}  // namespace mask_ids

}  // namespace dialogs
