// A gain-reduction needle: every timer tick it reads one of the process's
// needle meters and sends the matching frame of the needle's film strip to
// its control, through the panel's pending values.
#pragma once

class CVantorPanel;
class IVantorProcess;

// Where the editor's meter readings come from: the process's own meters, or,
// once a reading has been fed from outside, the fed readings.
class CMeterReadings {
public:
    static constexpr unsigned kCount = 10; // the process's meters (EOutputMeter)

    explicit CMeterReadings(IVantorProcess* pProcess)
        : mpProcess(pProcess)
    { }
    void SetProcess(IVantorProcess* pProcess) { mpProcess = pProcess; }
    void Feed(unsigned nWhich, float fValue);
    float Read(unsigned nWhich) const;

private:
    IVantorProcess* mpProcess; // not owned
    bool mbFed = false;
    float mafFed[kCount] = { 1.0f, 1.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, 0.0f, -70.0f };
};

// What the window updates after its panels' idle steps.
class IUpdatable {
public:
    virtual ~IUpdatable() = default;
    virtual void Update() = 0;
};

class CVUMeter : public IUpdatable {
public:
    // nMeter: the process meter (0 compressor, 1 limiter); fFactor: the
    // share of the strip a needle value of 1.0 reaches (0.94, 0.95);
    // nModes: bit m set when the meter runs in process mode m.
    CVUMeter(CVantorPanel* pPanel, IVantorProcess* pProcess, const CMeterReadings* pReadings, int nControl,
        unsigned nMeter, float fFactor, unsigned nModes);

    void Update() override;
    // The frame a needle value shows.
    int FrameOf(float fNeedle) const;

private:
    CVantorPanel* mpPanel; // not owned
    IVantorProcess* mpProcess; // not owned
    const CMeterReadings* mpReadings; // not owned
    int mnControl;
    unsigned mnMeter;
    float mfFactor;
    unsigned mnModes;
};
