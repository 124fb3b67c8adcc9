# The tray's preview renders through the pipeline worker.
add_dependencies(${VESK_TEST_TARGET} vesk-pipeline-worker)
