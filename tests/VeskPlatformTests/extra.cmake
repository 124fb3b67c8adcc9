# The image, PDF and archive layers are a library of their own (the worker's).
target_link_libraries(${VESK_TEST_TARGET} PRIVATE VeskCodecs)
