#pragma once
// The failure convention shared by the core and the host: a failure carries the host
// language's error number and description, and a source text that every operation it passes
// through extends with its qualified name ("Brindle.AddHeaders | Brindle.AddHeaderToProc | ...").

#include <cstdint>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace brindle {

// The run-time error numbers the system raises.
enum class Err : std::int32_t {
    InvalidCall = 5,          // "Invalid procedure call or argument"
    Overflow = 6,             // "Overflow"
    OutOfMemory = 7,          // "Out of memory"
    SubscriptOutOfRange = 9,  // "Subscript out of range"
    TypeMismatch = 13,        // "Type mismatch"
    SubNotDefined = 35,       // "Sub or Function not defined"
    InternalError = 51,       // "Internal error"
    FileNotFound = 53,        // "File not found"
    PathFileAccess = 75,      // "Path/File access error"
    ObjectNotSet = 91,        // "Object variable or With block variable not set"
    DuplicateKey = 457,       // "This key is already associated with an element of this collection"
    ProjectProtected =
        50289,  // the VBA editor's: "Can't perform operation since the project is protected"
};

// The host language's description of an error number.
std::string_view Describe(Err number) noexcept;

class VbError : public std::exception {
public:
    VbError(std::int32_t number, std::string description, std::string source)
        : number_(number), description_(std::move(description)), source_(std::move(source)) {
        Compose();
    }
    VbError(Err number, std::string source)
        : VbError(static_cast<std::int32_t>(number), std::string(Describe(number)),
                  std::move(source)) {}

    std::int32_t Number() const noexcept { return number_; }
    const std::string& Description() const noexcept { return description_; }
    const std::string& Source() const noexcept { return source_; }

    // Puts "name | " before the source text.
    void PassThrough(std::string_view name) {
        source_ = std::string(name) + " | " + source_;
        Compose();
    }

    // "source: description (number)".
    const char* what() const noexcept override { return what_.c_str(); }

private:
    void Compose() { what_ = source_ + ": " + description_ + " (" + std::to_string(number_) + ")"; }

    std::int32_t number_;
    std::string description_;
    std::string source_;
    std::string what_;
};

[[noreturn]] inline void Raise(Err number, std::string_view source) {
    throw VbError(number, std::string(source));
}

// Turns whatever escaped from a body into a VbError, so that every failure follows one
// convention: ours pass unchanged, the standard library's become run-time errors.
[[noreturn]] inline void RethrowAsVbError() {
    try {
        throw;
    } catch (VbError&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw VbError(Err::OutOfMemory, "");
    } catch (const std::out_of_range& e) {
        throw VbError(static_cast<std::int32_t>(Err::SubscriptOutOfRange),
                      std::string(Describe(Err::SubscriptOutOfRange)), e.what());
    } catch (const std::exception& e) {
        throw VbError(static_cast<std::int32_t>(Err::InternalError),
                      std::string(Describe(Err::InternalError)), e.what());
    }
}

// Runs an inner operation's body; a failure leaves it with the operation's qualified name
// ("Brindle.GetParms") put before its source, number and description unchanged.
template <class Body>
decltype(auto) PassOn(std::string_view qualifiedName, Body&& body) {
    try {
        return std::forward<Body>(body)();
    } catch (...) {
        try {
            RethrowAsVbError();
        } catch (VbError& e) {
            e.PassThrough(qualifiedName);
            throw;
        }
    }
}

inline std::string_view Describe(Err number) noexcept {
    switch (number) {
        case Err::InvalidCall:
            return "Invalid procedure call or argument";
        case Err::Overflow:
            return "Overflow";
        case Err::OutOfMemory:
            return "Out of memory";
        case Err::SubscriptOutOfRange:
            return "Subscript out of range";
        case Err::TypeMismatch:
            return "Type mismatch";
        case Err::SubNotDefined:
            return "Sub or Function not defined";
        case Err::InternalError:
            return "Internal error";
        case Err::FileNotFound:
            return "File not found";
        case Err::PathFileAccess:
            return "Path/File access error";
        case Err::ObjectNotSet:
            return "Object variable or With block variable not set";
        case Err::DuplicateKey:
            return "This key is already associated with an element of this collection";
        case Err::ProjectProtected:
            return "Can't perform operation since the project is protected";
    }
    return "Application-defined or object-defined error";
}

}  // namespace brindle
