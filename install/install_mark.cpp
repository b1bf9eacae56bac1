#include "install/install_mark.h"

#include "framework/registry.h"
#include "install/uninstall.h"
#include "package/printer_model.h"
#include "platform/api.h"
#include "platform/handles.h"

using platform::RegKey;

namespace {

bool SetText(HKEY key, const char* name, const std::string& value)
{
    return sys().RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

}  // namespace

std::string InstallMarkKey(const std::string& model)
{
    return std::string(kModel.vendorKey) + "\\" + model + " Printer Driver";
}

bool WriteInstallMark(const std::string& model, const PackageParts& package)
{
    RegKey key;
    if (sys().RegCreateKeyExA(HKEY_LOCAL_MACHINE, InstallMarkKey(model).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                              KEY_SET_VALUE, nullptr, key.receive(), nullptr) != ERROR_SUCCESS)
        return false;
    return SetText(key.get(), "Version", package.version) && SetText(key.get(), "Driver", model) &&
           SetText(key.get(), "PortMonitor", package.monitorDll) &&
           SetText(key.get(), "PrintProcessor", package.printProcessor);
}

std::string InstallMarkVersion(const std::string& model)
{
    RegKey key;
    if (sys().RegOpenKeyExA(HKEY_LOCAL_MACHINE, InstallMarkKey(model).c_str(), 0, KEY_QUERY_VALUE, key.receive()) !=
        ERROR_SUCCESS)
        return {};
    std::string version;
    return framework::ReadRegistryText(key.get(), "Version", version) ? version : std::string();
}

bool RemoveInstallMark(const std::string& model)
{
    LONG status = sys().RegDeleteKeyA(HKEY_LOCAL_MACHINE, InstallMarkKey(model).c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND)
        return false;
    RegKey maker;
    DWORD subKeys = 1, values = 1;
    if (sys().RegOpenKeyExA(HKEY_LOCAL_MACHINE, kModel.vendorKey, 0, KEY_QUERY_VALUE, maker.receive()) == ERROR_SUCCESS &&
        sys().RegQueryInfoKeyA(maker.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, nullptr,
                               nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
        subKeys == 0 && values == 0) {
        maker.reset();
        sys().RegDeleteKeyA(HKEY_LOCAL_MACHINE, kModel.vendorKey);
    }
    return true;
}
