#!/usr/bin/python3
"""A real SMTP server on 127.0.0.1 for the tests, on aiosmtpd.

Prints the port it listens on as its first line of stdout, then serves
until stdin closes (the test that started it ended) or it is killed.
Each message is stored in the output folder as N.eml (the raw data) and
N.json (the envelope: mail_from, rcpt_tos); the .json is written last, so
a message counts once its .json is there. A recipient whose local part is
"refused" is answered with 550.
"""

import argparse
import asyncio
import json
import logging
import os
import ssl
import sys
import threading
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Handler:
    def __init__(self, out, offer_auth):
        self.out = out
        self.offer_auth = offer_auth
        self.count = 0

    async def handle_EHLO(self, server, session, envelope, hostname, responses):
        session.host_name = hostname
        if not self.offer_auth:
            responses = [r for r in responses if not r.startswith("250-AUTH")]
        return responses

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.split("@")[0].lower() == "refused":
            return "550 5.1.1 Mailbox unavailable"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        base = os.path.join(self.out, str(self.count))
        write(base + ".eml", envelope.original_content or envelope.content)
        envelope_text = json.dumps({"mail_from": envelope.mail_from, "rcpt_tos": envelope.rcpt_tos})
        write(base + ".json", envelope_text.encode("utf-8"))
        return "250 Message accepted for delivery"


def write(path, data):
    temporary = path + ".part"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def make_authenticator(user, password):
    def authenticate(server, session, envelope, mechanism, auth_data):
        ok = (
            isinstance(auth_data, LoginPassword)
            and auth_data.login == user.encode("utf-8")
            and auth_data.password == password.encode("utf-8")
        )
        # Not handled: the server answers a failure with its 535 reply.
        return AuthResult(success=ok, handled=False)

    return authenticate


def tls_context(cert, key):
    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(cert, key)
    return context


def exit_when_stdin_closes():
    sys.stdin.buffer.read()
    os._exit(0)


async def serve(args):
    handler = Handler(args.out, not args.no_auth)
    context = tls_context(args.cert, args.key) if args.starttls else None

    def session():
        return SMTP(
            handler,
            hostname="quorvane.test",
            tls_context=context,
            auth_required=args.require_auth,
            # Plain connections may authenticate too, or the tests of a
            # server without TLS could not log in.
            auth_require_tls=args.starttls,
            authenticator=make_authenticator(args.user, args.password),
        )

    server = await asyncio.get_running_loop().create_server(session, "127.0.0.1", 0)
    print(server.sockets[0].getsockname()[1], flush=True)
    await server.serve_forever()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--starttls", action="store_true")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--require-auth", action="store_true")
    parser.add_argument("--no-auth", action="store_true", help="offer no AUTH at all")
    parser.add_argument("--user", default="user")
    parser.add_argument("--password", default="secret")
    args = parser.parse_args()
    # A server that takes passwords without TLS is what these tests want.
    warnings.filterwarnings("ignore")
    logging.disable(logging.CRITICAL)
    threading.Thread(target=exit_when_stdin_closes, daemon=True).start()
    asyncio.run(serve(args))


if __name__ == "__main__":
    main()
