#pragma once

#include <utility>

// Runs the work of an event handler or slot. The displays call into signals, beat
// lists, data sources and providers that may throw (a damaged study file read on
// demand); nothing may propagate into the event loop, and a display has nowhere to
// report it: the window that owns the data reports its failures when it reads it.
template <typename Work>
void guardEvent(Work&& work) noexcept
{
    try {
        std::forward<Work>(work)();
    } catch (...) {
    }
}
