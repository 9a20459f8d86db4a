// One codec library opened at run time through the dynamic loader (dlopen by soname), with its
// process-wide loaded flag and its table of entry points. Load, Release, Acquire and
// Unacquire run on the GUI (main) thread; IsLoaded may be read from any thread (atomic). The
// entry points are written only while no encoder runs, so workers read them without a lock.
#pragma once

#include <QString>
#include <QStringList>
#include <atomic>
#include <functional>

class TCodecLibrary {
public:
    // Looks up every entry point that will be called (through Resolve) and stores it in the
    // library's table; false as soon as one is missing. Clear empties the table again.
    using TResolveFn = std::function<bool(TCodecLibrary&)>;
    using TClearFn = std::function<void()>;

    // fileNames: the sonames to try, preferred first; the failure text names the first.
    TCodecLibrary(QStringList fileNames, TResolveFn resolve, TClearFn clear);
    ~TCodecLibrary();
    TCodecLibrary(const TCodecLibrary&) = delete;
    TCodecLibrary& operator=(const TCodecLibrary&) = delete;

    // Opens the library unless it is loaded already; true when it is loaded afterwards. A file
    // that cannot be opened, or that lacks an entry point, leaves the library not loaded.
    bool Load();
    // Clears the entry-point table and the loaded flag and closes the library.
    void Release();
    bool IsLoaded() const { return Loaded.load(std::memory_order_acquire); }

    // For a library used only while its components exist: the first user loads it, the last
    // one to leave releases it. Acquire answers IsLoaded.
    bool Acquire();
    void Unacquire();
    int Users() const { return UserCount; }

    // The file named in messages: the first soname, or the one set by SetFileNames.
    QString FileName() const { return FileNames.value(0); }
    // "<file> library could not be loaded."
    QString FailureText() const;
    // What went wrong at the last failed Load (the loader's text or the missing entry point).
    QString LoadError() const { return LastError; }
    // Points the loader at other files (tests use a missing or unsuitable file). Takes effect
    // at the next Load; a loaded library stays as it is.
    void SetFileNames(const QStringList& fileNames) { FileNames = fileNames; }
    void RestoreFileNames() { FileNames = DefaultFileNames; }

    // Stores the address of `name` in `fn`; false (and LoadError names it) when it is missing.
    template <class F> bool Resolve(F*& fn, const char* name) {
        fn = reinterpret_cast<F*>(Symbol(name));
        return fn != nullptr;
    }

private:
    void* Symbol(const char* name);

    QStringList DefaultFileNames;
    QStringList FileNames;
    TResolveFn ResolveFn;
    TClearFn ClearFn;
    void* Handle = nullptr;
    std::atomic<bool> Loaded{false};
    int UserCount = 0;
    QString LastError;
    QString TriedName; // the file being resolved, for LoadError
};
