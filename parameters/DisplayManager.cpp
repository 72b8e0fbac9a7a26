#include "parameters/DisplayManager.h"

#include <cstddef>
#include <new>

namespace adl {

CDisplayManager::CDisplayManager(IDisplayManagerCallback* pCallback)
    : callback(pCallback)
{ }

// Translaters go in list order.
CDisplayManager::~CDisplayManager()
{
    for (const SDisplay& display : displays)
        display.translater->Destroy();
}

void CDisplayManager::Destroy()
{
    delete this;
}

int CDisplayManager::AddDisplay(int key, int displayId, IDisplayTranslater* translater)
{
    if (translater != nullptr)
        displays.push_back({ key, displayId, translater });
    return static_cast<int>(displays.size());
}

void CDisplayManager::RemoveDisplay(int key, int displayId)
{
    for (size_t i = 0; i < displays.size(); ++i) {
        if (displays[i].key == key && displays[i].displayId == displayId) {
            RemoveAt(i);
            return;
        }
    }
}

void CDisplayManager::RemoveDisplaysOf(int displayId)
{
    for (size_t i = 0; i < displays.size(); ++i) {
        if (displays[i].displayId == displayId) {
            RemoveAt(i);
            return;
        }
    }
}

void CDisplayManager::RemoveAt(size_t nRecord)
{
    IDisplayTranslater* pTranslater = displays[nRecord].translater;
    displays.erase(displays.begin() + static_cast<std::ptrdiff_t>(nRecord));
    pTranslater->Destroy();
}

void CDisplayManager::UpdateDisplays(int key, int value)
{
    if (callback == nullptr)
        return;
    std::string text;
    // Indexed, not iterated: the panel may add or remove fields while it is
    // handed a text.
    for (size_t i = 0; i < displays.size(); ++i) {
        if (displays[i].key != key)
            continue;
        displays[i].translater->Translate(text, value);
        callback->SetDisplayText(displays[i].displayId, text);
    }
}

IDisplayManager* CreateDisplayManager(IDisplayManagerCallback* callback)
{
    return new (std::nothrow) CDisplayManager(callback);
}

} // namespace adl
