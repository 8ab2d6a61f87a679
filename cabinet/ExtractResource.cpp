#include "ExtractResource.h"

namespace Cabinet {

CExtractResource::~CExtractResource() {
    m_ResourceType.Wipe();
    m_ResourceName.Wipe();
}

bool CExtractResource::ExtractResource(CStrBufW moduleName, int32_t resourceId, int32_t resourceType,
                                       CStrBufW targetDir, void* userParam) {
    // "#N" is the system's text form of a numeric resource identifier.
    bool ok = m_ResourceType.Format(L"#%d", resourceType) && m_ResourceName.Format(L"#%d", resourceId);
    if (!ok) {
        m_Error.Record(kErrorOutOfMemory, ERROR_NOT_ENOUGH_MEMORY);
    } else if (LoadResourceData(moduleName, m_ResourceName, m_ResourceType)) {
        return Extract(CStrBufW(kResourceCabinetPath), targetDir, userParam);
    }
    moduleName.Wipe();
    targetDir.Wipe();
    return false;
}

int CExtractResource::LoadResourceData(const wchar_t* moduleName, const wchar_t* resourceName,
                                       const wchar_t* resourceType) {
    HMODULE module = GetModuleHandleW(moduleName && moduleName[0] ? moduleName : nullptr);
    const void* data = nullptr;
    DWORD size = 0;
    if (module) {
        if (HRSRC found = FindResourceW(module, resourceName, resourceType)) {
            if (HGLOBAL loaded = LoadResource(module, found)) {
                data = LockResource(loaded);
                size = SizeofResource(module, found);
            }
        }
    }
    // Positions are 32-bit; a resource beyond that cannot be served.
    if (!data || size == 0 || size > static_cast<DWORD>(INT32_MAX)) {
        m_Error.Record(kErrorResource);
        return 0;
    }
    m_ResourceData = static_cast<const unsigned char*>(data);
    m_ResourcePos = 0;
    m_ResourceSize = static_cast<int32_t>(size);
    return 1;
}

}  // namespace Cabinet
