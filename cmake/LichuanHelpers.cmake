# Shared compile settings for every target of the project.
function(lichuan_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wnon-virtual-dtor
                                             -Wcast-align -Wunused -Woverloaded-virtual)
    target_compile_definitions(${target} PRIVATE QT_NO_NARROWING_CONVERSIONS_IN_CONNECT)
endfunction()

# A static library of one folder of src/.
function(lichuan_add_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    lichuan_target_defaults(${name})
endfunction()

# One test program per area, run by CTest under the offscreen platform.
function(lichuan_add_test name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Test)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE LICHUAN_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/fixtures")
    lichuan_target_defaults(${name})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8"
                                            TIMEOUT 300)
endfunction()

function(lichuan_add_benchmark name)
    add_executable(${name} ${ARGN})
    target_link_libraries(${name} PRIVATE benchmark::benchmark)
    lichuan_target_defaults(${name})
endfunction()

# The throwaway PostgreSQL cluster of the server runs: started once before the first of them, stopped after
# the last (a CTest fixture).
# One cluster per build folder, so that two builds on one machine can test at once.
string(MD5 LICHUAN_BUILD_TAG "${CMAKE_BINARY_DIR}")
string(SUBSTRING "${LICHUAN_BUILD_TAG}" 0 10 LICHUAN_BUILD_TAG)
set(LICHUAN_TEST_CLUSTER "/tmp/lichuan-pg-${LICHUAN_BUILD_TAG}")
set(LICHUAN_TEST_SERVER "postgresql:///lichuan_test?host=${LICHUAN_TEST_CLUSTER}&user=postgres")
function(lichuan_add_server_cluster)
    add_test(NAME server_cluster_start
             COMMAND sh ${PROJECT_SOURCE_DIR}/tests/server/pgcluster.sh start ${LICHUAN_TEST_CLUSTER})
    add_test(NAME server_cluster_stop
             COMMAND sh ${PROJECT_SOURCE_DIR}/tests/server/pgcluster.sh stop ${LICHUAN_TEST_CLUSTER})
    set_tests_properties(server_cluster_start PROPERTIES FIXTURES_SETUP server_cluster)
    set_tests_properties(server_cluster_stop PROPERTIES FIXTURES_CLEANUP server_cluster)
endfunction()

# The second run of a data test program, on the test cluster instead of files.
function(lichuan_add_server_run name)
    add_test(NAME ${name}_server COMMAND ${name})
    set_tests_properties(${name}_server PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LANG=C.UTF-8;LC_ALL=C.UTF-8;LICHUAN_TEST_SERVER=${LICHUAN_TEST_SERVER}"
        FIXTURES_REQUIRED server_cluster
        RESOURCE_LOCK server_cluster
        TIMEOUT 300)
endfunction()

# A test that prints through a print server of its own (tests/cupsserver.h and its job-keeping backend).
function(lichuan_use_print_server target)
    target_link_libraries(${target} PRIVATE Cups::Cups)
    target_compile_definitions(${target} PRIVATE
        LICHUAN_KEEPJOB_BACKEND="${PROJECT_SOURCE_DIR}/tests/keepjob-backend.sh")
endfunction()
