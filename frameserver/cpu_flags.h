#pragma once

namespace frameserver {

// What the host tells plug-ins about integer SSE.
enum class CpuReport { Auto, IntegerSse, None };

// CPUF_INTEGER_SSE when this processor has integer SSE, else 0.
long detect_cpu_flags();

}  // namespace frameserver
