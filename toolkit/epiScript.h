// Drives a window from a text script, as a user would: the test suites and
// vantor-skin use it to press, drag and type without a window system. One
// statement per line, "#" starts a comment:
//
//   down X Y          press the mouse button at (X, Y), window coordinates
//   move X Y          move the pointer (the tracked control follows)
//   up                release the button
//   click X Y         down, one tick, up
//   key K             a key: a single character, a decimal code, or tab,
//                     return, backspace, delete, escape, left, right, up, down
//   shift|control|alt on|off
//   tick [N]          N timer ticks (default 1), 10 ms of the clock each
//   wait MS           the clock moves on without a tick
//   value P C V       control C of panel P (window order) takes value V
//   snap NAME         redraws, then hands the map to the snapshot hook
#pragma once

#include <functional>
#include <string>

class epiOffmap;
class vpaGui;

class epiScript {
public:
    static constexpr unsigned kTickMillis = 10;
    using SnapshotHook = std::function<bool(const epiOffmap& map, const std::string& sName)>;

    explicit epiScript(vpaGui& window);

    void SetSnapshotHook(SnapshotHook hook) { mSnapshot = std::move(hook); }
    // Runs the statements in order; false at the first bad one, with the line
    // number and the reason in GetError().
    bool Run(const std::string& sScript);
    // One statement.
    bool RunLine(const std::string& sLine);
    const std::string& GetError() const { return msError; }

private:
    bool Fail(const std::string& sReason);

    vpaGui& mWindow;
    SnapshotHook mSnapshot;
    std::string msError;
};
