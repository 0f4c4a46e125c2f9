#!/usr/bin/env python3
"""The Python package orva_automation against this build: a registry, a demo account and the sample
packet file in a temporary folder, the loader named by ORVA_LOADER.
Usage: orva_automation_test.py SOURCE_DIR ORVA_DEPLOY (the package is found through PYTHONPATH)"""
import gc
import os
import subprocess
import sys
import tempfile
import threading
import unittest

import orva_automation as orva

SOURCE_DIR, TOOL = sys.argv[1], sys.argv[2]
FOLDER = tempfile.TemporaryDirectory()
REGISTRY = os.path.join(FOLDER.name, "registry")
ACCOUNT = os.path.join(FOLDER.name, "account.db")
PACKET = os.path.join(FOLDER.name, "DeployFunction.Dat")
os.environ["ORVA_REGISTRY"] = REGISTRY


def tool(*args):
    subprocess.run([TOOL, *args], check=True, stdout=subprocess.DEVNULL)


class OrvaAutomation(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        tool("register")
        tool("init", "--catalog", ACCOUNT, "--demo")
        tool("pack", os.path.join(SOURCE_DIR, "data/samples/packet-set.json"), "-o", PACKET)
        cls.wizard = orva.create_object("OrvaClassDeploy.clsDeploywizard")

    @classmethod
    def tearDownClass(cls):
        cls.wizard.release()

    def login(self, language="EN"):
        self.wizard.publish_property("Language", language)
        self.wizard.publish_property("PropsString", f"Language={language};ConnectString=sqlite:{ACCOUNT};")

    def test_values_cross_both_ways_and_vectors_iterate_from_one(self):
        with self.wizard.create_beside("Nexo.Vector") as vector, self.wizard.create_beside("Nexo.Vector") as inner:
            inner.call("Add", "inside")
            values = [True, -2147483648, 2.5, "中文 and a \0 inside", "", orva.Null, None, [1, ["x", False]]]
            for value in values:
                vector.call("Add", value)
            vector.call("Add", inner)
            self.assertEqual(len(vector), len(values) + 1)
            read = list(vector)
            self.assertEqual(read[:-1], values)
            self.assertEqual(vector.get("Item", 1), True, "Item counts from 1")
            with read[-1] as again:
                self.assertEqual(list(again), ["inside"], "an object comes back as a handle of its own")
            vector.let("Item", 1, orva.Nothing)
            self.assertIs(vector.get("Item", 1), orva.Nothing)

    def test_errors_carry_number_description_and_source(self):
        with self.wizard.create_beside("Nexo.Vector") as vector:
            cases = [
                (lambda: vector.call("Missing"), 438, "Vector.Missing", "Vector.Missing"),
                (lambda: vector.get("Item"), 450, "Vector.Item takes 1 argument, not 0", "Vector.Item"),
                (lambda: vector.get("Item", 5), 9, "", "Vector.Item"),
                (lambda: vector.call("Add", 2 ** 31), 6, "does not fit a 32-bit integer", "orva_automation"),
                (lambda: vector.call("Add", {"a": 1}), 13, "a dict cannot be passed", "orva_automation"),
                (lambda: orva.create_object("Nobody.Here"), 429, f"searched {REGISTRY}", "OrvaLoader"),
                (lambda: self.wizard.create_beside("Nobody.Here"), 429, f"registry folders {REGISTRY}",
                 "OrvaClassDeploy"),
                (lambda: self.wizard.publish_property("Language", "FR"), 5, 'CHS, CHT or EN, not "FR"',
                 "orva_publish_property"),
            ]
            for call, number, described, source in cases:
                with self.subTest(described=described):
                    with self.assertRaises(orva.AutomationError) as raised:
                        call()
                    self.assertEqual(raised.exception.number, number)
                    self.assertIn(described, raised.exception.description)
                    self.assertEqual(raised.exception.source, source)

    def test_objects_release_themselves(self):
        with self.wizard.create_beside("Nexo.Dictionary") as dictionary:
            pass
        self.assertIsNone(dictionary.handle)
        with self.assertRaises(orva.AutomationError) as raised:
            dictionary.get("Count")
        self.assertEqual(raised.exception.number, 91)
        dictionary.release()  # twice: nothing happens
        # Collected without release: __del__ drops the handle, and the process goes on.
        self.wizard.create_beside("Nexo.Vector")
        gc.collect()

    def test_deploys_with_renames_and_reads_the_message_list_written_back(self):
        self.login("EN")
        with self.wizard.create_beside("Nexo.Dictionary") as info, \
                self.wizard.create_beside("Nexo.Dictionary") as renames, \
                self.wizard.create_beside("Nexo.Dictionary") as names:
            names.let("Value", "EN", "Renamed Plan")
            renames.set_ref("Value", "200000001", names)
            info.set_ref("Value", "ChangeName", renames)
            self.assertEqual(info.keys(), ["ChangeName"])
            deployed, (_, info_after, messages) = self.wizard.invoke("DeployToLumoMain", orva.CALL_METHOD, PACKET,
                                                                    info, None)
            with messages, info_after:
                lines = list(messages)
                self.assertIs(deployed, True, lines)
        self.assertEqual(lines[-1], "Publishing of functions completed.")
        catalogue = subprocess.run([TOOL, "--language", "EN", "catalog", "--catalog", ACCOUNT], check=True,
                                   capture_output=True, text=True).stdout
        self.assertIn("Renamed Plan-Maintenance", catalogue)

    def test_no_login_is_named_and_a_thread_can_be_reset(self):
        self.login("EN")
        self.wizard.publish_property("PropsString", f"ConnectString=sqlite:{ACCOUNT};")
        _, (_, _, messages) = self.wizard.invoke("DeployToLumoMain", orva.CALL_METHOD, PACKET, None, None)
        with messages:
            self.assertIn("no login: publish Language and PropsString first", list(messages)[0])
        # Resets are per thread and harmless at any time.
        worker = threading.Thread(target=orva.reset_thread_state)
        worker.start()
        worker.join()
        orva.reset_thread_state()


if __name__ == "__main__":
    try:
        unittest.main(argv=sys.argv[:1], verbosity=2)
    finally:
        FOLDER.cleanup()
