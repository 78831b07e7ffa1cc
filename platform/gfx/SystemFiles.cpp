// The system-file versions seen by the DirectX version probe.
#include "platform/gfx/SystemFiles.h"

namespace gfx
{
namespace
{
SystemFiles s_files;
}

const SystemFiles& GetSystemFiles() { return s_files; }
void SetSystemFiles(const SystemFiles& files) { s_files = files; }
void ResetSystemFiles() { s_files = SystemFiles{}; }
} // namespace gfx
