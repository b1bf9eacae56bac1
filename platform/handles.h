// Owning wrappers for the handles the program opens. Each closes through the seam.
#pragma once
#include <utility>

#include "platform/api.h"

namespace platform {

template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() noexcept : h_(Traits::Invalid()) {}
    explicit UniqueHandle(Handle h) noexcept : h_(h) {}
    ~UniqueHandle() { reset(); }

    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept
    {
        if (this != &o)
            reset(o.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const noexcept { return h_; }
    bool valid() const noexcept { return h_ != Traits::Invalid(); }
    explicit operator bool() const noexcept { return valid(); }

    // For out-parameters: closes what is held and hands out the slot.
    Handle* receive() noexcept
    {
        reset();
        return &h_;
    }

    Handle release() noexcept
    {
        Handle h = h_;
        h_ = Traits::Invalid();
        return h;
    }

    void reset(Handle h = Traits::Invalid()) noexcept
    {
        if (valid())
            Traits::Close(h_);
        h_ = h;
    }

private:
    Handle h_;
};

struct ServiceTraits {
    using Handle = SC_HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { sys().CloseServiceHandle(h); }
};

struct RegKeyTraits {
    using Handle = HKEY;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { sys().RegCloseKey(h); }
};

struct PrinterTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { sys().ClosePrinter(h); }
};

struct FindTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { sys().FindClose(h); }
};

struct FileTraits {
    using Handle = HANDLE;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { sys().CloseHandle(h); }
};

struct KernelTraits {  // tokens and other kernel objects where null means none
    using Handle = HANDLE;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { sys().CloseHandle(h); }
};

struct InfTraits {
    using Handle = HINF;
    static Handle Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle h) { sys().SetupCloseInfFile(h); }
};

struct LocalTraits {
    using Handle = HLOCAL;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { sys().LocalFree(h); }
};

struct SidTraits {
    using Handle = PSID;
    static Handle Invalid() { return nullptr; }
    static void Close(Handle h) { sys().FreeSid(h); }
};

using ServiceHandle = UniqueHandle<ServiceTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using PrinterHandle = UniqueHandle<PrinterTraits>;
using FindHandle = UniqueHandle<FindTraits>;
using FileHandle = UniqueHandle<FileTraits>;
using KernelHandle = UniqueHandle<KernelTraits>;
using InfHandle = UniqueHandle<InfTraits>;
using LocalMemory = UniqueHandle<LocalTraits>;
using SidHandle = UniqueHandle<SidTraits>;

}  // namespace platform
