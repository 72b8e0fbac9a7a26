// One parameter value held as a signed 32-bit integer in the parameter's own
// scale (value / 10^decimals is the engineering value). Concrete units decide
// what a value does by overriding the change hook.
#pragma once

namespace adl {

// The order of the virtual operations is part of the binary contract.
class IDataUnit {
public:
    // Deletes the object as its most-derived class.
    virtual void Destroy() = 0;
    // The unit's position in its manager.
    virtual int GetIndex() = 0;
    virtual int GetValue() = 0;
    // Stores value unless AcceptsValue refuses it; runs OnValueChanged when
    // notify is set.
    virtual void SetValue(int value, bool notify) = 0;
    virtual bool AcceptsValue(int value) = 0;
    // Runs after an accepted, notified change.
    virtual void OnValueChanged() = 0;
    virtual ~IDataUnit() = default;
};

// Base of every concrete unit: accepts every value and does nothing on a
// change. Destroy stays for the concrete class to implement (delete this).
class CDataUnit : public IDataUnit {
public:
    CDataUnit(int nIndex, int nValue);
    ~CDataUnit() override;

    int GetIndex() override;
    int GetValue() override;
    void SetValue(int value, bool notify) override;
    bool AcceptsValue(int value) override;
    void OnValueChanged() override;

protected:
    int index; // position in the manager's unit array, fixed at construction
    int value; // current value in the parameter's integer scale
};

} // namespace adl
