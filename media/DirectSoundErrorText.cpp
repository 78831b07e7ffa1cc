// DirectSound result-code sentences.
#include "media/DirectSoundErrorText.h"

using namespace snd;

const char* DirectSoundErrorText(HRESULT hr)
{
    switch (hr)
    {
    case DSERR_ALLOCATED:
        return "The request failed because resources, such as a priority level, were already in use by another "
               "caller. ";
    case DSERR_BADFORMAT:
        return "The specified wave format is not supported. ";
    case DSERR_BUFFERTOOSMALL:
        return "The buffer size is not great enough to enable effects processing. ";
    case DSERR_CONTROLUNAVAIL:
        return "The buffer control (volume, pan, and so on) requested by the caller is not available. ";
    case DSERR_DS8_REQUIRED:
        return "A DirectSound object of class CLSID_DirectSound8 or later is required for the requested "
               "functionality. ";
    case DSERR_INVALIDCALL:
        return "This function is not valid for the current state of this object. ";
    case DSERR_INVALIDPARAM:
        return "An invalid parameter was passed to the returning function. ";
    case DSERR_NOAGGREGATION:
        return "The object does not support aggregation. ";
    case DSERR_OUTOFMEMORY:
        return "The DirectSound subsystem could not allocate sufficient memory to complete the caller's request. ";
    case DSERR_UNINITIALIZED:
        return "The IDirectSound8::Initialize method has not been called or has not been called successfully "
               "before other methods were called. ";
    case DSERR_UNSUPPORTED:
        return "The function called is not supported at this time. ";
    case DSERR_BUFFERLOST:
        return "The buffer memory has been lost and must be restored. ";
    case DSERR_PRIOLEVELNEEDED:
        return "A cooperative level of DSSCL_PRIORITY or higher is required. ";
    case DSERR_GENERIC:
        return "An undetermined error occurred inside the DirectSound subsystem. ";
    default:
        return nullptr;
    }
}

const char* DirectSoundReason(HRESULT hr, std::initializer_list<HRESULT> known, const char* unknownText)
{
    for (HRESULT code : known)
        if (code == hr)
            if (const char* text = DirectSoundErrorText(hr))
                return text;
    return unknownText;
}
