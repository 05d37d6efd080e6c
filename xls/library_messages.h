// libgsf reports damaged containers on stderr through glib's log; the reader reports them
// itself (as errors or warnings), so those messages are silenced once before the first open.
#pragma once

namespace zel::xls {

void silenceContainerLibraryMessages();

}  // namespace zel::xls
