#pragma once

#include <memory>

namespace irmc {
class IrmcObexService;
}

namespace phonesim {

class PhoneImage;

// The phone's OBEX service object: a client talking in process to an OBEX server on the
// phonebook and calendar of the image. The server shows the OBEX faults the image declares at
// the moment of each request, so tests may change them while the phone is in use.
irmc::IrmcObexService* imageObexService(std::shared_ptr<PhoneImage> image);

// Serves the phone's OBEX server on a byte stream, for an IrMC client of its own: reads
// requests from inFd and writes each answer to outFd as soon as it is complete, until the
// input ends. 0 at the end of the input, 1 when the output cannot be written.
int serveObex(std::shared_ptr<PhoneImage> image, int inFd, int outFd);

} // namespace phonesim
