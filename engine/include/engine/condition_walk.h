#pragma once
// The condition walk: every condition text the national condition rules can
// produce, found by driving BuildCondition over a set of vehicle profiles that
// reaches every branch of the rules. Used to seed a station database with one
// standard per reachable condition and to audit which conditions a standard
// table covers.
//
// The walk varies, per item, only the profile fields that item's rule reads,
// over sample values that lie on both sides of every threshold the rules
// compare against (see condition_walk.cpp). The derived class flags
// (isHeavy, lightClass, highRatio) are varied as inputs of their own, as the
// rules read them, so the walk also covers profiles the intake would derive
// differently; for the rules as they stand that adds no text.
#include <cstdint>
#include <string>
#include <vector>

#include "engine/vehicle_profile.h"

namespace engine {

struct ReachableCondition {
    int itemId = 0;
    std::string condition;   // GBK, byte for byte as BuildCondition writes it
    VehicleProfile example;  // a profile for which BuildCondition gives it
};

// The engine's model number at load (10690038) and the models of the sample
// station's car and truck (10690003, 10690005).
std::vector<int32_t> DefaultSampleModelNumbers();

// Every (item, condition) that BuildCondition in national mode (seriesMode 0)
// produces for the 44 standard items, each pair once, sorted by item ID and
// then by the condition's bytes. Items 208 and 209 print the model number
// into their conditions: their model numbers are taken from
// `sampleModelNumbers` (the other items do not read it).
//
// Not listed: items without a condition for any vehicle (252), and empty
// conditions (an item whose rule writes an empty text for some vehicles, such
// as item 247 for motorcycles): an empty condition holds no limits, the
// database loader drops it.
std::vector<ReachableCondition> ReachableConditions(
    const std::vector<int32_t> &sampleModelNumbers = DefaultSampleModelNumbers());

}  // namespace engine
