# Limit lookup and output, against the real environment library of the build.
station_test(lookup_test
    SOURCES lookup_test.cpp
    LIBS engine
    DEPENDS plinth)
