// The processor signature: CPUID leaf 1 as "%08X-%08X-%08X-%08X" (EAX, EBX, ECX,
// EDX). EBX carries the initial APIC id of the processor that ran the
// instruction, so the process is pinned to the first processor for that moment
// to get the same text on every run.
#pragma once

// Copies the 35-character text into the buffer and returns true. False (buffer
// untouched) when the process already runs with a restricted affinity mask: the
// pinning would then not be ours to undo, and the result would depend on it.
// The text is cached for the process after the first success.
bool GetCpuIdString(wchar_t (&text)[36]);
