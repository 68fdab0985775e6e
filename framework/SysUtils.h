// Exception classes of the runtime layer. Portable: no Windows header.
#pragma once

#include <exception>
#include <string>

// Base of every exception the framework and the library raise.
class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }

private:
    std::string message_;
};

// The silent exception: handlers of last resort ignore it.
class EAbort : public Exception {
public:
    EAbort() : Exception("Operation aborted") {}
    using Exception::Exception;
};

// Stored data (a layout, a stream) that cannot be read.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A named resource that the module does not carry.
class EResNotFound : public Exception {
public:
    using Exception::Exception;
};

// Image data that is not a bitmap this framework can use.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

// A value of the wrong kind or out of range.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// A failed assertion: the message with its source location.
class EAssertionFailed : public Exception {
public:
    EAssertionFailed(const std::string& message, const std::string& unit, int line)
        : Exception(message + " (" + unit + ", line " + std::to_string(line) + ")"), unit_(unit),
          line_(line) {}
    const std::string& Unit() const { return unit_; }
    int Line() const { return line_; }

private:
    std::string unit_;
    int line_;
};

// Ends the current operation silently.
[[noreturn]] void Abort();

#include <typeinfo>

// The demangled name of a type, for messages and class lookups.
std::string DemangledName(const std::type_info& type);
// The demangled class name of an exception object.
std::string ExceptionClassName(const std::exception& e);
