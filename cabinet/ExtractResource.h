#pragma once
// A cabinet that is a resource of an executable module, used where it lies.
#include "ExtractMemory.h"

namespace Cabinet {

class CExtractResource : public CExtractMemory {
public:
    CExtractResource() = default;
    ~CExtractResource();

    // moduleName empty: the running executable. The cabinet is read in place.
    bool ExtractResource(CStrBufW moduleName, int32_t resourceId, int32_t resourceType, CStrBufW targetDir,
                         void* userParam);
    int LoadResourceData(const wchar_t* moduleName, const wchar_t* resourceName, const wchar_t* resourceType);

    CStrBufW m_ResourceName;
    CStrBufW m_ResourceType;
};

}  // namespace Cabinet
