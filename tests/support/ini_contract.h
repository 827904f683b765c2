// The contract every INI store keeps; instantiated once per implementation.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "platform/ini_store.h"

namespace velkor::testing {

struct IniStoreMaker {
  std::string name;
  std::function<std::unique_ptr<IniStore>()> make;
};

inline void PrintTo(const IniStoreMaker& maker, std::ostream* os) { *os << maker.name; }

class IniContract : public ::testing::TestWithParam<IniStoreMaker> {
 protected:
  void SetUp() override { store = GetParam().make(); }
  std::unique_ptr<IniStore> store;
};

inline std::string IniStoreName(const ::testing::TestParamInfo<IniStoreMaker>& info) {
  return info.param.name;
}

}  // namespace velkor::testing
