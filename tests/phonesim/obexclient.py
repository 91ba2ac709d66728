"""A small IrMC OBEX client for `cellarchive-cli phone obex-server IMAGE`, over its pipes.

Framing as docs/phonesim-obex.md describes it: one request, then its whole answer.
"""
import struct
import zlib
import subprocess

CONNECT, DISCONNECT, PUT, PUT_FINAL, GET_FINAL = 0x80, 0x81, 0x02, 0x82, 0x83
NAME, LENGTH, TARGET, BODY, END_OF_BODY, CONNECTION_ID = 0x01, 0xC3, 0x46, 0x48, 0x49, 0xCB
CONTINUE, SUCCESS = 0x90, 0xA0


def header_bytes(hid, value):
    return bytes([hid]) + struct.pack(">H", len(value) + 3) + value


def name_header(name):
    return header_bytes(NAME, (name + "\0").encode("utf-16-be"))


class ObexServer:
    """One server process on an image; every request waits for its answer."""

    def __init__(self, cli, image):
        self.process = subprocess.Popen([cli, "phone", "obex-server", image],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self.connection = b""
        self.packet_size = 255

    def send(self, code, headers=b"", connect_fields=b""):
        packet = connect_fields + headers
        self.process.stdin.write(bytes([code]) + struct.pack(">H", len(packet) + 3) + packet)
        self.process.stdin.flush()

    def answer(self, connect=False):
        start = self.process.stdout.read(3)
        if len(start) < 3:
            raise EOFError("the server ended without an answer")
        code, length = start[0], struct.unpack(">H", start[1:3])[0]
        rest = self.process.stdout.read(length - 3)
        if connect:
            self.packet_size = struct.unpack(">H", rest[2:4])[0]
            rest = rest[4:]
        headers, pos = {}, 0
        while pos < len(rest):
            hid = rest[pos]
            if hid & 0xC0 == 0xC0:
                headers[hid] = rest[pos + 1:pos + 5]
                pos += 5
            elif hid & 0xC0 == 0x80:
                headers[hid] = rest[pos + 1:pos + 2]
                pos += 2
            else:
                size = struct.unpack(">H", rest[pos + 1:pos + 3])[0]
                headers[hid] = rest[pos + 3:pos + size]
                pos += size
        return code, headers

    def connect(self):
        self.send(CONNECT, header_bytes(TARGET, b"IRMC-SYNC"), b"\x10\x00\x04\x00")
        code, headers = self.answer(connect=True)
        self.connection = bytes([CONNECTION_ID]) + headers.get(CONNECTION_ID, b"")
        return code

    def put_packets(self, name, data, length=None):
        """The packets of a put, each with the answer it needs; the last one is final."""
        first = self.connection + name_header(name)
        if length is not None:
            first += bytes([LENGTH]) + struct.pack(">I", length)
        room = self.packet_size - 3 - len(first) - 3
        packets = []
        while True:
            chunk, data = data[:room], data[room:]
            packets.append((first, chunk, not data))
            first, room = self.connection, self.packet_size - 3 - len(self.connection) - 3
            if not data:
                return packets

    def put(self, name, data, length=None, await_last=True):
        """Sends a whole put; the last answer code and headers (an early refusal ends it).
        Without await_last the final packet goes out and its answer is left unread."""
        for headers, chunk, last in self.put_packets(name, data, length):
            self.send(PUT_FINAL if last else PUT,
                      headers + header_bytes(END_OF_BODY if last else BODY, chunk))
            if last and not await_last:
                return None
            code, answer = self.answer()
            if last or code != CONTINUE:
                return code, answer
        return None

    def get(self, name):
        self.send(GET_FINAL, self.connection + name_header(name))
        body = b""
        while True:
            code, headers = self.answer()
            body += headers.get(BODY, b"") + headers.get(END_OF_BODY, b"")
            if code != CONTINUE:
                return code, body
            self.send(GET_FINAL, self.connection)

    def close(self):
        """Disconnects and ends the server as a client does; its exit status."""
        if self.connection:
            self.send(DISCONNECT, self.connection)
            self.answer()
        self.process.stdin.close()
        return self.process.wait(timeout=60)

    def kill(self):
        self.process.kill()
        self.process.wait(timeout=60)


def vcard(name):
    return ("BEGIN:VCARD\r\nVERSION:2.1\r\nN:%s\r\nTEL;CELL:+4670%07d\r\nEND:VCARD\r\n"
            % (name, zlib.crc32(name.encode("cp1252")) % 10000000)).encode("cp1252")


def contacts(cli, image):
    """The names of the image's contacts, as a fresh server reads them."""
    server = ObexServer(cli, image)
    server.connect()
    code, body = server.get("telecom/pb.vcf")
    server.close()
    assert code == SUCCESS, hex(code)
    return [line[2:].decode("cp1252") for line in body.split(b"\r\n") if line.startswith(b"N:")]
