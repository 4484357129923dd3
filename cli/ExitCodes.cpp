#include "cli/ExitCodes.h"

const char* ExitCodeName(int code)
{
    switch (code) {
    case EXIT_OK: return "ok";
    case EXIT_USAGE: return "usage";
    case EXIT_HEX_FILE: return "hex-file";
    case EXIT_NO_BOARD: return "no-board";
    case EXIT_NOT_BLANK: return "not-blank";
    case EXIT_ERASE_FAILED: return "erase-failed";
    case EXIT_VERIFY_DIFFERS: return "verify-differs";
    case EXIT_PROGRAM_FAILED: return "program-failed";
    case EXIT_OUTPUT_FILE: return "output-file";
    case EXIT_NO_DRIVER: return "no-driver";
    case EXIT_INTERRUPTED: return "interrupted";
    }
    return "unknown";
}
