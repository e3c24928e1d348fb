#pragma once
// Switches the process locale for one test and puts the previous one back.
#include <gtest/gtest.h>

#include <clocale>
#include <string>

namespace velmora::test {

class ScopedLocale {
 public:
  explicit ScopedLocale(const char *name) : saved_(std::setlocale(LC_ALL, nullptr)) {
    EXPECT_NE(std::setlocale(LC_ALL, name), nullptr) << "locale " << name << " is missing";
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, saved_.c_str()); }
  ScopedLocale(const ScopedLocale &) = delete;
  ScopedLocale &operator=(const ScopedLocale &) = delete;

 private:
  std::string saved_;
};

}  // namespace velmora::test
