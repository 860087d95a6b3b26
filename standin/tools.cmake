# Outside tools of the stand-in platform: sample disk generator,
# StreamMgrCli and filePes.
add_library(standin_tools STATIC
  sample_disk.cc
  sample_events.cc
  ts_check.cc
)
target_include_directories(standin_tools PUBLIC ${CMAKE_SOURCE_DIR})

add_executable(make_sample_disk
  make_sample_disk.cc
  ${CMAKE_BINARY_DIR}/generated/recorder_schema.cc
)
target_link_libraries(make_sample_disk PRIVATE standin_tools SQLite::SQLite3)

add_executable(StreamMgrCli stream_mgr_cli.cc)

add_executable(filePes file_pes.cc)
target_link_libraries(filePes PRIVATE standin_tools)

set_target_properties(make_sample_disk StreamMgrCli filePes PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

add_executable(sample_disk_tests sample_disk_test.cc)
target_link_libraries(sample_disk_tests PRIVATE standin_tools GTest::gtest_main)
gtest_discover_tests(sample_disk_tests DISCOVERY_TIMEOUT 60)
