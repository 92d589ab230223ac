#!/usr/bin/python3
"""A UPnP control point from GUPnP: finds a Corvid MediaServer by SSDP on one interface,
browses its root and first share, fetches the first item and checks it against a file.

usage: gupnp_browse.py INTERFACE EXPECTED_FILE [TIMEOUT_SECONDS]
Prints "OK <title> <url>" and exits 0, or prints the reason and exits 1.
"""
import sys
import urllib.request

import gi

gi.require_version("GUPnP", "1.6")
gi.require_version("GSSDP", "1.6")
gi.require_version("GUPnPAV", "1.0")
from gi.repository import GLib, GSSDP, GUPnP, GUPnPAV  # noqa: E402

iface, expected_file = sys.argv[1], sys.argv[2]
timeout = int(sys.argv[3]) if len(sys.argv) > 3 else 20
result = {"code": 1, "text": "no Corvid MediaServer found by SSDP"}
loop = GLib.MainLoop()


def browse(service, object_id):
    action = GUPnP.ServiceProxyAction.new_from_list(
        "Browse",
        ["ObjectID", "BrowseFlag", "Filter", "StartingIndex", "RequestedCount", "SortCriteria"],
        [object_id, "BrowseDirectChildren", "*", 0, 0, ""])
    service.call_action(action, None)
    ok, values = action.get_result_list(["Result", "NumberReturned", "TotalMatches"],
                                        [str, int, int])
    if not ok:
        raise RuntimeError("Browse %s failed" % object_id)
    objects = []
    parser = GUPnPAV.DIDLLiteParser.new()
    parser.connect("object-available", lambda _p, o: objects.append(o))
    parser.parse_didl(values[0])
    if len(objects) != values[1] or values[1] != values[2]:
        raise RuntimeError("Browse %s counted %d/%d for %d objects" %
                           (object_id, values[1], values[2], len(objects)))
    return objects


def on_device(_cp, device):
    name = device.get_friendly_name() or ""
    if not name.startswith("Corvid("):
        return
    try:
        service = device.get_service("urn:schemas-upnp-org:service:ContentDirectory")
        if service is None:
            raise RuntimeError("no ContentDirectory")
        shares = browse(service, "0")
        if not shares:
            raise RuntimeError("no shares")
        items = [o for o in browse(service, shares[0].get_id())
                 if isinstance(o, GUPnPAV.DIDLLiteItem)]
        if not items:
            raise RuntimeError("no items in the first share")
        url = items[0].get_resources()[0].get_uri()
        with urllib.request.urlopen(url, timeout=10) as r:
            body = r.read()
        with open(expected_file, "rb") as f:
            if body != f.read():
                raise RuntimeError("fetched bytes differ from the file")
        result["code"], result["text"] = 0, "OK %s %s" % (items[0].get_title(), url)
    except Exception as e:  # report every failure as the outcome
        result["text"] = "%s: %s" % (name, e)
    loop.quit()


context = GUPnP.Context.new_full(iface, None, 0, GSSDP.UDAVersion.VERSION_1_0)
cp = GUPnP.ControlPoint.new(context, "urn:schemas-upnp-org:device:MediaServer:1")
cp.connect("device-proxy-available", on_device)
cp.set_active(True)
GLib.timeout_add_seconds(timeout, loop.quit)
loop.run()
print(result["text"])
sys.exit(result["code"])
