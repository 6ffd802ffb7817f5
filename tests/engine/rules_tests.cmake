# Condition rules (from profile values alone) and the vehicle profile intake
# (against the built libplinth.so).
station_test(engine_rules_test
    SOURCES condition_rules_test.cpp condition_rules_category_test.cpp
    LIBS engine)
station_test(engine_intake_test
    SOURCES profile_intake_test.cpp
    LIBS engine
    DEPENDS plinth)
