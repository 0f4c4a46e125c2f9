#include "storage/ServerDatabase.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <optional>

namespace orva::components {

namespace {

constexpr int32_t kCannotOpen = 14;  // SQLITE_CANTOPEN

struct ModuleState {
    std::mutex mutex;
    std::optional<std::filesystem::path> overridden;
    // Entry points of the modules loaded so far, by path; never unloaded.
    std::map<std::filesystem::path, OpenPostgresFunction> loaded;
};

ModuleState& State() {
    static ModuleState state;
    return state;
}

std::filesystem::path DefaultModulePath() {
    // The folder of the library holding this function, as the dynamic loader found it.
    Dl_info info{};
    if (dladdr(reinterpret_cast<void*>(&OpenServerDatabase), &info) == 0 || !info.dli_fname) {
        return std::filesystem::path(ORVA_POSTGRES_MODULE);
    }
    std::error_code error;
    std::filesystem::path library = std::filesystem::canonical(info.dli_fname, error);
    if (error) library = info.dli_fname;
    return library.parent_path() / ORVA_POSTGRES_MODULE;
}

std::filesystem::path ChosenPath(const ModuleState& state) {
    return state.overridden ? *state.overridden : DefaultModulePath();
}

[[noreturn]] void RaiseModuleError(const std::string& uri, const std::filesystem::path& module,
                                   const std::string& problem) {
    RaiseDatabaseError(MaskPassword(uri), "the PostgreSQL backend module " + module.string() + " " + problem,
                       kCannotOpen);
}

OpenPostgresFunction LoadModule(const std::string& uri) {
    ModuleState& state = State();
    std::lock_guard lock(state.mutex);
    std::filesystem::path module = ChosenPath(state);
    if (auto found = state.loaded.find(module); found != state.loaded.end()) return found->second;
    std::error_code error;
    if (!std::filesystem::is_regular_file(module, error)) {
        RaiseModuleError(uri, module,
                         "is missing: install " ORVA_POSTGRES_PACKAGE " (or the package that ships it)");
    }
    void* handle = dlopen(module.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* reason = dlerror();
        RaiseModuleError(uri, module, std::string("could not be loaded (") + (reason ? reason : "") + ")");
    }
    auto entry = reinterpret_cast<OpenPostgresFunction>(dlsym(handle, kOpenPostgresSymbol));
    if (!entry) {
        dlclose(handle);
        RaiseModuleError(uri, module,
                         std::string("is of another version (it has no ") + kOpenPostgresSymbol + ")");
    }
    state.loaded.emplace(module, entry);
    return entry;
}

}  // namespace

std::unique_ptr<Database> OpenServerDatabase(const std::string& uri, bool readOnly) {
    ServerUri parts = ParseServerUri(uri);
    std::unique_ptr<Database> database;
    LoadModule(uri)(uri, parts, readOnly, &database);
    if (!database)
        RaiseDatabaseError(MaskPassword(uri), "the PostgreSQL backend module opened nothing", kCannotOpen);
    return database;
}

std::filesystem::path PostgresModulePath() {
    ModuleState& state = State();
    std::lock_guard lock(state.mutex);
    return ChosenPath(state);
}

void OverridePostgresModulePath(std::filesystem::path path) {
    ModuleState& state = State();
    std::lock_guard lock(state.mutex);
    if (path.empty()) {
        state.overridden.reset();
    } else {
        state.overridden = std::move(path);
    }
}

}  // namespace orva::components
