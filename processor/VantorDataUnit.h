// The data unit of one mastering parameter: when its value changes it turns
// the stored integer into engineering units and hands it to the chain, or
// switches modules, equaliser bands or the chain order through the process.
#pragma once

#include "parameters/DataUnit.h"

class CVantorProcess;

class CVantorDataUnit : public virtual adl::CDataUnit {
public:
    CVantorDataUnit(CVantorProcess* pProcess, int nIndex, int nInitialValue);

    void Destroy() override;
    void OnValueChanged() override;

private:
    CVantorProcess* mpProcess; // not owned
};
