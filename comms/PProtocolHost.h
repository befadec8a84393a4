#pragma once

class IInterface;
class MModel;
class PFileProtocol;
class QString;

// What the protocols ask of the application: a pause of the polling before
// a set, and receive mode's wait and failure box. The application implements
// it; tests give a protocol a fake.
//
// A protocol is handed the model (PProtocol::setModel), a class of the
// application that this layer only names. How a model is seen as a host is
// the application's to say: it sets a resolver once, before it hands out a
// model, in the way it fills the warning-box runner. A plain function
// pointer is enough for that one answer, and keeps the model's header and
// every cast out of this layer.
class PProtocolHost
{
public:
    virtual ~PProtocolHost();

    // With false the visible panel's sweep pauses and the next poll comes a
    // full polling period later; the VDS protocol asks before each set.
    virtual void setPollingActive(bool active) = 0;
    // Shows the receive box and returns once the transfer on the server has
    // ended: the sender closed, or the user cancelled.
    virtual void runReceiveDialog(PFileProtocol *pProtocol, IInterface *pServer) = 0;
    // Shows a receive-mode failure text to the user and returns once it has
    // been seen.
    virtual void showReceiveFailure(const QString &text) = 0;

    using ModelResolver = PProtocolHost *(*)(MModel *pModel);
    static void setModelResolver(ModelResolver resolver);
    // The host that the model is; null for no model or before a resolver
    // was set.
    static PProtocolHost *ofModel(MModel *pModel);

protected:
    PProtocolHost() = default;
    PProtocolHost(const PProtocolHost &) = default;
    PProtocolHost &operator=(const PProtocolHost &) = default;
};
