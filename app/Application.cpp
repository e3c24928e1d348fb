#include "app/Application.h"

#include <iostream>

namespace velmora {

namespace {

void ReportToStandardError(std::exception_ptr error) {
  std::cerr << kProgramName << ": " << ErrorMessage(error) << std::endl;
}

}  // namespace

TApplication &TApplication::Instance() {
  static TApplication application;
  return application;
}

void TApplication::SetOnException(const void *owner, TExceptionHandler handler) {
  std::lock_guard<std::mutex> guard(lock_);
  owner_ = owner;
  handler_ = std::move(handler);
}

void TApplication::ClearOnException(const void *owner) {
  std::lock_guard<std::mutex> guard(lock_);
  if (owner_ != owner) return;
  owner_ = nullptr;
  handler_ = nullptr;
}

void TApplication::HandleException(std::exception_ptr error) {
  TExceptionHandler handler;
  {
    std::lock_guard<std::mutex> guard(lock_);
    handler = handler_;
  }
  if (!handler) {
    ReportToStandardError(error);
    return;
  }
  try {
    handler(error);
  } catch (...) {
    ReportToStandardError(error);
    ReportToStandardError(std::current_exception());
  }
}

std::string ErrorMessage(std::exception_ptr error) {
  try {
    if (error) std::rethrow_exception(error);
  } catch (const std::exception &e) {
    return e.what();
  } catch (...) {
  }
  return "";
}

}  // namespace velmora
