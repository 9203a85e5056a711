// Compiled, not linked, by check_writable_data.cmake, with the module's writable
// bytes as KEYRELAY_WRITABLE_BYTES: it compiles only when they are exactly the key
// table's.
#include "input/key_state.h"

static_assert(sizeof keyTable == KEYRELAY_WRITABLE_BYTES,
              "the module's writable data is not the key table alone");
