#include "ZcommLine.h"

#include "LynxLine.h"
#include "PortNames.h"

namespace gdl {

void ApplyLynxPortSettings(TZComm& p) {
    p.BaudRate = kLynxBaud;
    p.DataBits = databits8;
    p.Parity = even_parity;
    p.StopBits = stop1;
    p.EnableParity = true;
    p.CTSFlowCtl = false;
    p.DSRFlowCtl = false;
    p.XOuputFlowCtl = false;
    p.XInputFlowCtl = false;
    p.DSRSensitive = false;
    p.TXResume = false;
    p.DiscardNULL = false;
    p.ErrorReplace = false;
    p.AbortOnError = false;
    p.ErrorChar = '~';
    p.XOnChar = 17;
    p.XOffChar = 19;
    p.XOnLimit = 150;
    p.XOffLimit = 150;
    p.InputQueueSize = kLynxQueueBytes;
    p.OutputQueueSize = kLynxQueueBytes;
    p.TimeoutReadInterval = 0xFFFFFFFF;
    p.TimeoutReadMultiplier = 0;
    p.TimeoutReadConstant = kLynxReadTimeoutMs;
    p.TimeoutWriteMultiplier = 0;
    p.TimeoutWriteConstant = kLynxWriteTimeoutMs;
}

ZcommLine::ZcommLine(TZComm::PostFn post, const Registry* registry, const Clock& clock)
    : zCom_(std::move(post), clock) {
    ApplyLynxPortSettings(zCom_);
    zCom_.SetPortResolver(RegistryPortResolver(registry));
    zCom_.Port = "Com1";
    zCom_.OnDataAvailable = [this](TZComm*) {
        if (onDataAvailable) onDataAvailable();
    };
    zCom_.OnErrorOccurred = [this](TZComm*, int error, const std::string& errorstr) {
        if (onErrorOccurred) onErrorOccurred(error, errorstr);
    };
    zCom_.OnWriteProgress = [this](TZComm*) {
        if (onWriteProgress) onWriteProgress();
    };
    zCom_.OnWritten = [this](TZComm*, bool ok) {
        if (onWritten) onWritten(ok);
    };
}

}  // namespace gdl
