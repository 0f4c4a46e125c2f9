#pragma once
// OnDemandLibrary: a shared library that the process opens with dlopen the first time one of its
// functions is called, instead of linking it. A library the program links is loaded, mapped and
// bound at every start, also by the commands that never call it (printing a packet file needs
// neither SQLite, nor ICU, nor the PO reader); one opened on demand costs nothing until it is used.
//
// A library that cannot be opened is an error naming it and the package that ships it, never a
// crash at start.

#include <mutex>
#include <string>

namespace orva::automation {

class OnDemandLibrary {
public:
    // soname: the file dlopen looks for ("libsqlite3.so.0"); package: the Debian package that ships
    // it; role: what the library does for us ("the SQLite library"), the start of every message.
    // Nothing is opened yet.
    OnDemandLibrary(std::string soname, std::string package, std::string role);
    OnDemandLibrary(const OnDemandLibrary&) = delete;
    OnDemandLibrary& operator=(const OnDemandLibrary&) = delete;

    // The address of the function named symbol, opening the library on the first call (thread-safe);
    // the library stays loaded for the life of the process. Raises AutomationError 53 when the library
    // cannot be opened ("<role> <soname> could not be loaded (<reason>): install the package
    // <package>") or lacks the symbol ("... is of another version (it has no <symbol>): ...").
    void* Find(const char* symbol);

    // Find, cast to the function pointer type F.
    template <typename F>
    F Function(const char* symbol) {
        return reinterpret_cast<F>(Find(symbol));
    }

    const std::string& Soname() const { return m_soname; }

private:
    [[noreturn]] void Fail(const std::string& problem) const;

    const std::string m_soname;
    const std::string m_package;
    const std::string m_role;
    std::mutex m_mutex;
    void* m_handle = nullptr;  // guarded by m_mutex; never closed
};

}  // namespace orva::automation
