#include "ParameterDisplay.h"

#include "processor/ChainOrder.h"
#include "processor/ParameterDisplay.h"
#include "processor/ParameterTable.h"

std::string CParameterDisplay::Show(int nIndex, int nStored) const
{
    if (nIndex == kPatch && nStored >= 0 && nStored < kNrOfChainOrders) {
        static const char* const kModules[4] = { "eq", "comp", "lim", "clip" };
        std::string sOrder;
        for (int nModule : kChainOrders[nStored])
            sOrder += (sOrder.empty() ? "" : ",") + std::string(kModules[nModule]);
        return std::to_string(nStored) + " (" + sOrder + ")";
    }
    // The panels' format, from the parameter table the library is built from.
    const std::string sText = ParameterDisplayText(nIndex, nStored);
    return sText.empty() ? mParameters.Format(nIndex, nStored) : sText;
}
