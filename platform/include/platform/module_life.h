#pragma once
// When a plug-in's attach and detach routines run. A plug-in defines one
// ModuleLifeCycle object at namespace scope, after (or as the last member
// beside) the module-wide state the routines use:
//   - Linux: its constructor runs attach and its destructor detach, on
//     dlopen/dlclose and at process exit alike;
//   - Windows: its constructor only records the routines; the DLL's DllMain
//     runs them on DLL_PROCESS_ATTACH and DLL_PROCESS_DETACH (through
//     RunModuleAttach and RunModuleDetach), which the C runtime calls after
//     every static object of the DLL is built and before any is destroyed.
// Either way attach runs after the state is built and detach before it is
// destroyed, once each. The routines must not throw.
namespace platform {

using ModuleRoutine = void (*)() noexcept;

class ModuleLifeCycle {
  public:
    ModuleLifeCycle(ModuleRoutine attach, ModuleRoutine detach) noexcept;
    ~ModuleLifeCycle();
    ModuleLifeCycle(const ModuleLifeCycle &) = delete;
    ModuleLifeCycle &operator=(const ModuleLifeCycle &) = delete;
};

// For a DLL's DllMain: run the recorded routine, if any, at most once.
void RunModuleAttach() noexcept;
void RunModuleDetach() noexcept;

}  // namespace platform
