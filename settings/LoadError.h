// Why a settings file could not be loaded, and a value read from it or that reason.
#pragma once

#include <string>
#include <utility>
#include <variant>

namespace settings {

// A failure of a load: its kind ("Missing element", ...) and what exactly went wrong.
struct LoadError {
    std::string Kind;
    std::string Message;

    // The general failure report shown to the user.
    std::string Describe() const { return Kind + ": " + Message; }
};

// A value read from the file, or the failure that ends the load.
template <typename T>
class Loaded {
  public:
    Loaded(T value) : v_(std::move(value)) {}
    Loaded(LoadError error) : v_(std::move(error)) {}

    explicit operator bool() const { return v_.index() == 0; }
    const T& operator*() const { return std::get<0>(v_); }
    const LoadError& error() const { return std::get<1>(v_); }

  private:
    std::variant<T, LoadError> v_;
};

}  // namespace settings
