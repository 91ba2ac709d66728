#include "phonesim/phoneobex.h"

#include "phonesim/imagefiles.h"
#include "phonesim/imageirmcstore.h"
#include "irmc/obexserver.h"
#include "phonesim/phoneimage.h"
#include "irmc/irmcobexservice.h"

#include <cerrno>
#include <unistd.h>

namespace phonesim {

irmc::IrmcObexService* imageObexService(std::shared_ptr<PhoneImage> image)
{
    auto store = std::make_shared<ImageIrmcStore>(image);
    auto server = std::make_shared<irmc::ObexServer>(*store);
    auto* service = new irmc::IrmcObexService([image, store, server](const QByteArray& request) {
        server->faults() = image->refreshed().faults().obex;
        return server->feed(request);
    });
    service->setRoomSource(store);
    return service;
}

int serveObex(std::shared_ptr<PhoneImage> image, int inFd, int outFd)
{
    ImageIrmcStore store(image);
    irmc::ObexServer server(store);
    server.faults() = image->faults().obex;
    char chunk[4096];
    for (;;) {
        const ssize_t got = ::read(inFd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return 0;
        image->refresh();
        if (!imagefiles::writeAll(outFd, server.feed(QByteArray(chunk, static_cast<qsizetype>(got)))))
            return 1;
    }
}

} // namespace phonesim
