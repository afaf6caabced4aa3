#!/usr/bin/env python3
"""Checks an executable's manifest (read from standard input, as wrestool extracts it) and its
version resource (the file named by --version-resource) against what the program must declare.
Prints one line per entry that is missing or wrong and exits 1 if there is any.
  check_manifest.py ARCHITECTURE PROJECT_VERSION [--version-resource FILE] < manifest"""
import struct
import sys
import xml.etree.ElementTree as ET

ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY = "urn:schemas-microsoft-com:compatibility.v1"
WINDOWS_SETTINGS = "http://schemas.microsoft.com/SMI/2005/WindowsSettings"
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


def path(*steps):
    """An ElementTree path of (namespace, name) steps."""
    return "/".join("{%s}%s" % step for step in steps)


def faults_of(manifest, architecture, version):
    try:
        root = ET.fromstring(manifest)
    except ET.ParseError as error:
        return ["the manifest is no well-formed XML (%s)" % error]
    if root.tag != "{%s}assembly" % ASM_V1:
        return ["the manifest's root is %s, not an assembly" % root.tag]
    faults = []
    identity = root.find(path((ASM_V1, "assemblyIdentity")))
    if identity is None:
        faults.append("no assemblyIdentity")
    else:
        if identity.get("processorArchitecture") != architecture:
            faults.append("assemblyIdentity names architecture %r, not %r" % (identity.get("processorArchitecture"), architecture))
        if identity.get("version") != version:
            faults.append("assemblyIdentity has version %r, not the project's %r" % (identity.get("version"), version))
    controls = [a for a in root.iterfind(path((ASM_V1, "dependency"), (ASM_V1, "dependentAssembly"), (ASM_V1, "assemblyIdentity")))
                if a.get("name") == "Microsoft.Windows.Common-Controls"]
    if not any(a.get("version") == "6.0.0.0" and a.get("processorArchitecture") == architecture and
               a.get("publicKeyToken") == "6595b64144ccf1df" for a in controls):
        faults.append("no dependency on the common controls 6.0.0.0 for %s" % architecture)
    levels = root.findall(path((ASM_V3, "trustInfo"), (ASM_V3, "security"), (ASM_V3, "requestedPrivileges"),
                               (ASM_V3, "requestedExecutionLevel")))
    if not any(l.get("level") == "requireAdministrator" and l.get("uiAccess") == "false" for l in levels):
        faults.append("no requestedExecutionLevel requireAdministrator without uiAccess")
    aware = root.findall(path((ASM_V3, "application"), (ASM_V3, "windowsSettings"), (WINDOWS_SETTINGS, "dpiAware")))
    if not any((a.text or "").strip().lower() == "true" for a in aware):
        faults.append("no dpiAware true (system DPI awareness)")
    ids = {s.get("Id", "").lower() for s in root.iterfind(path((COMPATIBILITY, "compatibility"), (COMPATIBILITY, "application"), (COMPATIBILITY, "supportedOS")))}
    for guid, name in SUPPORTED_OS.items():
        if guid not in ids:
            faults.append("no supportedOS for %s %s" % (name, guid))
    return faults


def version_faults(resource, version):
    """The fixed part of the version resource: file and product version, as in the manifest."""
    at = resource.find(struct.pack("<I", 0xFEEF04BD))
    if at < 0:
        return ["the version resource has no fixed file information"]
    ms, ls, pms, pls = struct.unpack_from("<IIII", resource, at + 8)
    file_version = "%d.%d.%d.%d" % (ms >> 16, ms & 0xFFFF, ls >> 16, ls & 0xFFFF)
    product_version = "%d.%d.%d.%d" % (pms >> 16, pms & 0xFFFF, pls >> 16, pls & 0xFFFF)
    faults = []
    if file_version != version:
        faults.append("FILEVERSION is %s, not the project's %s" % (file_version, version))
    if product_version != version:
        faults.append("PRODUCTVERSION is %s, not the project's %s" % (product_version, version))
    for key in ("FileVersion", "ProductVersion"):
        at = resource.find((key + "\0").encode("utf-16-le"))
        value = resource[at + 2 * len(key) + 2:] if at >= 0 else b""
        while value.startswith(b"\0\0"):  # the value starts at the next 32-bit boundary
            value = value[2:]
        if at < 0 or not value.startswith((version + "\0").encode("utf-16-le")):
            faults.append("the version text %s does not read %s" % (key, version))
    return faults


def main():
    args = sys.argv[1:]
    resource = None
    if "--version-resource" in args:
        i = args.index("--version-resource")
        with open(args[i + 1], "rb") as f:
            resource = f.read()
        del args[i:i + 2]
    architecture, project_version = args
    version = project_version + ".0" * (3 - project_version.count("."))
    faults = faults_of(sys.stdin.buffer.read(), architecture, version)
    if resource is not None:
        faults += version_faults(resource, version)
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
