# The pipeline tests run the pipelines through the worker, and make and inspect their
# files with the image and archive layers.
add_dependencies(${VESK_TEST_TARGET} vesk-pipeline-worker)
target_link_libraries(${VESK_TEST_TARGET} PRIVATE VeskCodecs)
# The calendar service reads a private Evolution Data Server through the store's module,
# and the tests write events into it with libecal.
add_dependencies(${VESK_TEST_TARGET} vesk-calendar-eds)
target_link_libraries(${VESK_TEST_TARGET} PRIVATE PkgConfig::ECAL)
