// The audit's JSON: each struct as an object with its fields in declaration
// order, as `stdhost audit --json` has always printed them.
#include "audit_report.h"

namespace stdhost {

void to_json(Json &json, const AuditSource &source) {
    json = Json::object();
    json["table"] = source.fromFile ? "file" : "database";
    json["name"] = source.name;
    if (!source.damage.empty()) json["damage"] = source.damage;
    if (source.catalogueUnread) json["catalogue"] = *source.catalogueUnread;
    json["seriesMode"] = source.seriesMode;
    json["confirmedBy"] = source.confirmedBy;
}

void to_json(Json &json, const AuditSummary &s) {
    json = Json{{"items", s.items},
                {"itemsFullyCovered", s.itemsFullyCovered},
                {"reachableConditions", s.reachableConditions},
                {"confirmedConditions", s.confirmedConditions},
                {"vehiclesTried", s.vehiclesTried},
                {"missing", s.missing},
                {"impossibleOnly", s.impossibleOnly},
                {"unreachable", s.unreachable},
                {"seriesStandards", s.seriesStandards},
                {"orphanSeries", s.orphanSeries},
                {"deviceGaps", s.deviceGaps},
                {"caseVariants", s.caseVariants},
                {"emptyConditions", s.emptyConditions},
                {"missingParams", s.missingParams},
                {"unknownItems", s.unknownItems},
                {"catalogueChecked", s.catalogueChecked},
                {"sharedSeriesKeys", s.sharedSeriesKeys},
                {"cutSeriesKeys", s.cutSeriesKeys}};
}

void to_json(Json &json, const AuditItem &i) {
    json = Json{{"item", i.item},
                {"name", i.name},
                {"reachable", i.reachable},
                {"covered", i.covered},
                {"missing", i.missing},
                {"impossibleOnly", i.impossibleOnly},
                {"tableConditions", i.tableConditions},
                {"unreachable", i.unreachable}};
}

void to_json(Json &json, const AuditVehicleValue &v) {
    json = Json{{"param", v.param}, {"name", v.name}, {"value", v.value}, {"meaning", v.meaning}};
}

void to_json(Json &json, const AuditVehicle &m) {
    json = Json{{"item", m.item},
                {"condition", m.condition},
                {"heldEmpty", m.heldEmpty},
                {"vehicle", m.vehicle},
                {"judge", m.judge}};
}

void to_json(Json &json, const AuditUnreachable &u) {
    json = Json{{"item", u.item},
                {"device", u.device},
                {"condition", u.condition},
                {"limits", u.limits},
                {"suggestion", u.suggestion ? Json(*u.suggestion) : Json(nullptr)},
                {"distance", u.suggestion ? Json(u.distance) : Json(nullptr)}};
}

void to_json(Json &json, const AuditOrphanSeries &o) {
    json = Json{{"item", o.item},
                {"condition", o.condition},
                {"brand", o.brand ? Json(*o.brand) : Json(nullptr)}};
}

void to_json(Json &json, const AuditDeviceGap &g) {
    json = Json{
        {"item", g.item}, {"device", g.device}, {"heldBy", g.heldBy}, {"condition", g.condition}};
}

void to_json(Json &json, const AuditCaseVariant &v) {
    json = Json{{"item", v.item},
                {"device", v.device},
                {"condition", v.condition},
                {"shadowedByDevice", v.shadowedByDevice},
                {"shadowedBy", v.shadowedBy}};
}

void to_json(Json &json, const AuditTableCondition &c) {
    json = Json{{"item", c.item}, {"device", c.device}, {"condition", c.condition}};
}

void to_json(Json &json, const AuditParam &p) {
    json = Json{{"param", p.param}, {"name", p.name}};
}

void to_json(Json &json, const AuditMissingParams &m) {
    json = Json{
        {"item", m.item}, {"device", m.device}, {"condition", m.condition}, {"params", m.params}};
}

void to_json(Json &json, const AuditSeriesPair &p) {
    json = Json{{"brand", p.brand}, {"series", p.series}};
}

void to_json(Json &json, const AuditSharedKey &k) {
    json = Json{{"condition", k.condition}, {"series", k.series}, {"stored", k.stored}};
}

void to_json(Json &json, const AuditCutKey &k) {
    json = Json{{"condition", k.condition},
                {"brandBytes", k.brandBytes},
                {"seriesBytes", k.seriesBytes},
                {"intakeBytes", k.intakeBytes}};
}

void to_json(Json &json, const AuditSeriesKeys &k) {
    json = Json{{"shared", k.shared}, {"cut", k.cut}};
}

void to_json(Json &json, const AuditReport &r) {
    json = Json::object();
    json["source"] = r.source;
    json["covered"] = r.covered;
    json["summary"] = r.summary;
    json["items"] = r.items;
    json["missing"] = r.missing;
    json["impossibleOnly"] = r.impossibleOnly;
    json["unreachable"] = r.unreachable;
    json["orphanSeries"] = r.orphanSeries;
    json["deviceGaps"] = r.deviceGaps;
    json["caseVariants"] = r.caseVariants;
    json["emptyConditions"] = r.emptyConditions;
    json["missingParams"] = r.missingParams;
    json["unknownItems"] = r.unknownItems;
    json["seriesKeys"] = r.seriesKeys;
}

}  // namespace stdhost
