"""The proxy helper's misbehaviours, seen from an ordinary HTTP client."""

import http.client
import socket
import ssl
import unittest

from support import proxy, tls


def get(server, timeout=5):
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=timeout)
    connection.request("GET", "http://example.invalid/meteo/satellite/image/sat11.jpg")
    response = connection.getresponse()
    return response.status, response.read()


class ProxyHelper(unittest.TestCase):
    def test_answers_https_through_a_tunnel_for_the_real_host_with_a_rule(self):
        context = ssl.create_default_context(cafile=str(tls.files() / "ca.pem"))
        with proxy.FakeProxy(body=b"picture", rules=[("rgb_geocolour", proxy.SERVER_ERROR)]) as server:
            for path, status in (("/geoserver/wms?LAYERS=mtg_fd:rgb_geocolour", 500), ("/x.jpg", 200)):
                connection = http.client.HTTPSConnection("127.0.0.1", server.port, timeout=5, context=context)
                connection.set_tunnel("view.eumetsat.int", 443)
                connection.request("GET", path)
                self.assertEqual(connection.getresponse().status, status)
                connection.close()
            self.assertEqual(server.urls(), ["https://view.eumetsat.int/geoserver/wms?LAYERS=mtg_fd:rgb_geocolour",
                                             "https://view.eumetsat.int/x.jpg"])

    def test_serves_the_body_for_any_url_and_records_it(self):
        with proxy.FakeProxy(body=b"\xff\xd8picture") as server:
            self.assertEqual(get(server), (200, b"\xff\xd8picture"))
            self.assertEqual(server.urls(), ["http://example.invalid/meteo/satellite/image/sat11.jpg"])

    def test_not_found_and_garbage(self):
        with proxy.FakeProxy(body=b"x", mode=proxy.NOT_FOUND) as server:
            self.assertEqual(get(server)[0], 404)
        with proxy.FakeProxy(body=b"x", mode=proxy.GARBAGE) as server:
            self.assertEqual(get(server), (200, proxy.GARBAGE_BODY))

    def test_truncated_body_ends_early(self):
        with proxy.FakeProxy(body=b"0123456789", mode=proxy.TRUNCATED) as server:
            with self.assertRaises(http.client.IncompleteRead) as caught:
                get(server)
            self.assertEqual(caught.exception.partial, b"01234")

    def test_stall_holds_the_body_back(self):
        with proxy.FakeProxy(body=b"x", mode=proxy.STALL, stall_seconds=5) as server:
            with self.assertRaises(socket.timeout):
                get(server, timeout=0.5)

    def test_refuse_accepts_no_connection(self):
        with proxy.FakeProxy(mode=proxy.REFUSE) as server:
            with self.assertRaises(ConnectionRefusedError):
                get(server)
            self.assertEqual(server.requests, [])


if __name__ == "__main__":
    unittest.main()
