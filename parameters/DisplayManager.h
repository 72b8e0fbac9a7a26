// The text fields of one editor panel: each field is registered under a key
// (the editor uses the index of the parameter it shows) with its own
// translater. A value arriving for a key is formatted once per field and the
// texts are handed to the panel.
#pragma once

#include "parameters/DisplayTranslater.h"

#include <string>
#include <vector>

namespace adl {

// Implemented by the editor panel.
class IDisplayManagerCallback {
public:
    virtual void SetDisplayText(int displayId, const std::string& text) = 0;

protected:
    ~IDisplayManagerCallback() = default;
};

// The order of the virtual operations is part of the binary contract.
class IDisplayManager {
public:
    // Deletes the manager and every registered translater.
    virtual void Destroy() = 0;
    // Appends a field; the manager owns the translater from now on. Returns
    // the number of fields.
    virtual int AddDisplay(int key, int displayId, IDisplayTranslater* translater) = 0;
    // Removes the first field with both key and displayId.
    virtual void RemoveDisplay(int key, int displayId) = 0;
    // Removes the first field with displayId.
    virtual void RemoveDisplaysOf(int displayId) = 0;
    // Formats value for every field of key, in registration order.
    virtual void UpdateDisplays(int key, int value) = 0;
    virtual ~IDisplayManager() = default;
};

class CDisplayManager : public virtual IDisplayManager {
public:
    // The callback is not owned; with none, updates do nothing.
    explicit CDisplayManager(IDisplayManagerCallback* pCallback);
    ~CDisplayManager() override;
    CDisplayManager(const CDisplayManager&) = delete;
    CDisplayManager& operator=(const CDisplayManager&) = delete;

    void Destroy() override;
    int AddDisplay(int key, int displayId, IDisplayTranslater* translater) override;
    void RemoveDisplay(int key, int displayId) override;
    void RemoveDisplaysOf(int displayId) override;
    void UpdateDisplays(int key, int value) override;

private:
    struct SDisplay {
        int key;
        int displayId;
        IDisplayTranslater* translater; // owned
    };

    void RemoveAt(size_t nRecord);

    IDisplayManagerCallback* callback;
    std::vector<SDisplay> displays; // in the order added
};

// A new manager, or null when memory runs out. Release it with Destroy().
IDisplayManager* CreateDisplayManager(IDisplayManagerCallback* callback);

} // namespace adl
