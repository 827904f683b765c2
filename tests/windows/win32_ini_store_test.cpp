#include "platform/win32/win32_ini_store.h"

#include "tests/support/ini_contract.h"

namespace velkor::testing {
namespace {

INSTANTIATE_TEST_SUITE_P(Platform, IniContract,
                         ::testing::Values(IniStoreMaker{
                             "Platform", [] { return std::make_unique<Win32IniStore>(); }}),
                         IniStoreName);

}  // namespace
}  // namespace velkor::testing
