# The image, PDF and archive layers are a library of their own (the worker's).
target_link_libraries(${VESK_TEST_TARGET} PRIVATE VeskCodecs)
# The calendar store's own objects, and the module the program loads them from.
target_link_libraries(${VESK_TEST_TARGET} PRIVATE VeskEdsCalendar)
add_dependencies(${VESK_TEST_TARGET} vesk-calendar-eds)
