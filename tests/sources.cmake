# The toolkit-free tests, one executable each, with their sources relative to the project's
# root. The native build and the Windows cross-build both take them from here.
set(pernadas_core_tests forms calculators replay about)
set(pernadas_forms_test_sources
  forms/tests/numbers_test.cpp
  forms/tests/cascade_test.cpp
  forms/tests/typed_test.cpp
  forms/tests/plan_test.cpp
  forms/tests/job_test.cpp)
set(pernadas_calculators_test_sources
  calculators/tests/angle_test.cpp
  calculators/tests/duaspernas_test.cpp
  calculators/tests/trespernas_test.cpp
  calculators/tests/quatropernas_test.cpp)
set(pernadas_replay_test_sources
  tests/replay_test.cpp)
set(pernadas_about_test_sources
  about/tests/sysinfo_test.cpp
  about/tests/acerca_test.cpp)
