#include "CodecLibrary.h"

#include <QCoreApplication>
#include <dlfcn.h>

TCodecLibrary::TCodecLibrary(QStringList fileNames, TResolveFn resolve, TClearFn clear)
    : DefaultFileNames(fileNames), FileNames(std::move(fileNames)), ResolveFn(std::move(resolve)),
      ClearFn(std::move(clear)) {}

TCodecLibrary::~TCodecLibrary() {
    // The tables are process-wide; the handle is closed by the process's exit, not here, so
    // that no static destructor order can pull a library from under a late user.
}

QString TCodecLibrary::FailureText() const {
    return QCoreApplication::translate("TCodecLibrary", "%1 library could not be loaded.")
        .arg(FileName());
}

bool TCodecLibrary::Load() {
    if (IsLoaded())
        return true;
    LastError.clear();
    for (const QString& name : FileNames) {
        // RTLD_LOCAL keeps the codec's symbols out of the global namespace; RTLD_NOW finds a
        // broken library here rather than in the middle of an encoding.
        void* h = dlopen(name.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (!h) {
            const char* e = dlerror();
            LastError = e ? QString::fromLocal8Bit(e) : name;
            continue;
        }
        Handle = h;
        TriedName = name;
        if (ResolveFn && !ResolveFn(*this)) {
            if (ClearFn)
                ClearFn();
            dlclose(Handle);
            Handle = nullptr;
            continue; // an older soname may still have everything
        }
        Loaded.store(true, std::memory_order_release);
        return true;
    }
    return false;
}

void TCodecLibrary::Release() {
    if (!Handle)
        return;
    Loaded.store(false, std::memory_order_release);
    if (ClearFn)
        ClearFn();
    dlclose(Handle);
    Handle = nullptr;
}

bool TCodecLibrary::Acquire() {
    ++UserCount;
    return Load();
}

void TCodecLibrary::Unacquire() {
    if (UserCount > 0 && --UserCount == 0)
        Release();
}

void* TCodecLibrary::Symbol(const char* name) {
    if (!Handle)
        return nullptr;
    dlerror();
    void* p = dlsym(Handle, name);
    if (!p)
        LastError = QCoreApplication::translate("TCodecLibrary", "%1 lacks the entry point %2")
                        .arg(TriedName, QString::fromLatin1(name));
    return p;
}
