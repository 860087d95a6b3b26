# The stand-in client library as a platform package: DbPlatform::platform.
include(CMakeFindDependencyMacro)
find_dependency(SQLite3)
include(${CMAKE_CURRENT_LIST_DIR}/DbPlatformTargets.cmake)
