#!/usr/bin/env python3
"""A host in Python: creates "OrvaClassDeploy.clsDeploywizard" by program ID through the loader
(the orva_automation package), deploys a packet file into an account with DeployToLumoMain and prints
the message list.

Usage: deploy_packet.py PACKET_FILE ACCOUNT_DB [CHS|CHT|EN]
The loader is found as ORVA_LOADER names it, else as "libOrvaLoader.so.0" on the library path.
Exit status 0 when the deployment ran to its end, 1 otherwise.
"""
import sys

import orva_automation as orva


def main(argv):
    if len(argv) < 3:
        print("usage: deploy_packet.py PACKET_FILE ACCOUNT_DB [CHS|CHT|EN]", file=sys.stderr)
        return 1
    packet, account = argv[1], argv[2]
    language = argv[3] if len(argv) > 3 else "CHS"
    try:
        with orva.create_object("OrvaClassDeploy.clsDeploywizard") as wizard:
            # The host's login: its language and the account the catalogue components open.
            wizard.publish_property("Language", language)
            wizard.publish_property("PropsString", f"Language={language};ConnectString=sqlite:{account};")

            # DeployToLumoMain(strFile, dctInfo, msgList): no deployment information; the message list
            # is left empty, so the call creates one and writes it back into the third argument.
            deployed, (_, _, messages) = wizard.invoke("DeployToLumoMain", orva.CALL_METHOD, packet, None, None)
            with messages:
                for line in messages:  # Item(1) to Item(Count)
                    print(line)
        print("DeployToLumoMain returned", "True" if deployed else "False")
        return 0 if deployed else 1
    except orva.AutomationError as failure:
        print(f"deploy_packet.py: {failure}", file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main(sys.argv))
