"""A certificate authority made for the tests, and a server certificate it signs for the
real hosts of Nubilux's sources: the local proxy answers HTTPS for them, and a session
that trusts the authority accepts it, as it would the real sites."""

import functools
import ssl
import subprocess
import tempfile
from pathlib import Path

HOSTS = ("view.eumetsat.int", "cdn.star.nesdis.noaa.gov", "www.data.jma.go.jp", "mirror.quintaris.example")


def _openssl(*args, cwd):
    subprocess.run(["openssl", *args], cwd=cwd, check=True, capture_output=True)


@functools.cache
def files():
    """The authority's certificate (ca.der, for Windows) and the server's key and chain."""
    folder = Path(tempfile.mkdtemp(prefix="suite-tls-"))
    _openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "30",
             "-subj", "/CN=Quintaris Test Authority", "-addext", "basicConstraints=critical,CA:TRUE",
             "-addext", "keyUsage=critical,keyCertSign,cRLSign", cwd=folder)
    _openssl("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der", cwd=folder)
    (folder / "server.ext").write_text(
        "basicConstraints=CA:FALSE\nkeyUsage=digitalSignature,keyEncipherment\nextendedKeyUsage=serverAuth\n"
        "subjectAltName=" + ",".join(f"DNS:{host}" for host in HOSTS) + "\n")
    _openssl("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr",
             "-subj", f"/CN={HOSTS[0]}", cwd=folder)
    _openssl("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
             "-out", "server.pem", "-days", "30", "-extfile", "server.ext", cwd=folder)
    return folder


@functools.cache
def server_context():
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(files() / "server.pem", files() / "server.key")
    return context


def authority_der():
    return files() / "ca.der"
