#!/usr/bin/env python3
"""The administrative template as the build wrote it: both files are XML, everything the ADMX
names is defined, and its policies write exactly the values that the program reads.
   template-test.py WRITER ADMX ADML"""
import re
import subprocess
import sys
import unittest
import xml.etree.ElementTree as ElementTree

NS = "{http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions}"
WRITER, ADMX, ADML = sys.argv[1:4]


def ids(root, path):
    return {element.get("id") for element in root.iterfind(path)}


class Template(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.admx = ElementTree.parse(ADMX).getroot()
        cls.adml = ElementTree.parse(ADML).getroot()
        cls.policies = list(cls.admx.iterfind(f"{NS}policies/{NS}policy"))

    def test_both_files_are_of_the_schema(self):
        self.assertEqual(self.admx.tag, NS + "policyDefinitions")
        self.assertEqual(self.adml.tag, NS + "policyDefinitionResources")

    def test_every_string_and_presentation_named_is_in_the_language_file(self):
        table = f"{NS}resources/{NS}%sTable/{NS}%s"
        defined = {f"$({kind}.{name})" for kind in ("string", "presentation")
                   for name in ids(self.adml, table % (kind, kind))}
        named = {value for element in self.admx.iter() for value in element.attrib.values()
                 if value.startswith("$(")}
        self.assertTrue(named)
        self.assertEqual(named - defined, set())

    def test_every_presentation_shows_the_elements_of_its_policy(self):
        table = self.adml.iterfind(f"{NS}resources/{NS}presentationTable/{NS}presentation")
        presentations = {p.get("id"): p for p in table}
        for policy in self.policies:
            elements = {e.get("id") for e in policy.iterfind(f"{NS}elements/*")}
            shown = re.fullmatch(r"\$\(presentation\.(\w+)\)", policy.get("presentation", ""))
            controls = {c.get("refId") for c in presentations.get(shown[1], [])} if shown else set()
            self.assertEqual(controls, elements, policy.get("name"))

    def test_every_category_and_support_named_is_defined(self):
        categories = {c.get("name") for c in self.admx.iterfind(f"{NS}categories/{NS}category")}
        supported = {d.get("name") for d in
                     self.admx.iterfind(f"{NS}supportedOn/{NS}definitions/{NS}definition")}
        for parent in self.admx.iterfind(f".//{NS}parentCategory"):
            self.assertIn(parent.get("ref"), categories)
        for policy in self.policies:
            self.assertIsNotNone(policy.find(f"{NS}parentCategory"), policy.get("name"))
            self.assertIn(policy.find(f"{NS}supportedOn").get("ref"), supported)

    def test_the_policies_write_the_values_the_program_reads(self):
        written = []
        for policy in self.policies:
            if policy.get("valueName"):
                written.append((policy.get("key"), policy.get("valueName")))
            for element in policy.iterfind(f"{NS}elements/*"):
                written.append((element.get("key", policy.get("key")), element.get("valueName")))
        listed = subprocess.run([WRITER, "--list"], check=True, capture_output=True, text=True)
        read = [tuple(line.split("\t")) for line in listed.stdout.splitlines()]
        self.assertTrue(read)
        self.assertCountEqual(written, read)


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
