# -*- coding: utf-8 -*-
# The one place where the modules run orvanectl: the command line (machine,
# check and diff modes), the secrets as private files, and orvanectl's JSON
# document turned into the module's result.
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os
import shutil
import tempfile

COMMON_ARGUMENTS = dict(
    machine=dict(type='path'),
    orvanectl=dict(type='path', default='orvanectl'),
)

# The secret fields of orvanectl's field table, as module parameters.
SECRET_FIELDS = ('db-password', 'cms-password', 'merchant-key')


def secret_parameter(field):
    return field.replace('-', '_')


class SecretFiles(object):
    """A private folder holding secrets as files, gone when the run ends."""

    def __init__(self):
        self.folder = tempfile.mkdtemp(prefix='orvane-secrets-')
        os.chmod(self.folder, 0o700)
        self.count = 0

    def reference(self, secret):
        self.count += 1
        path = os.path.join(self.folder, 'secret%d' % self.count)
        descriptor = os.open(path, os.O_WRONLY | os.O_CREAT | os.O_EXCL, 0o600)
        with os.fdopen(descriptor, 'w') as secret_file:
            secret_file.write(secret + '\n')
        return {'file': path}

    def __enter__(self):
        return self

    def __exit__(self, *exc_info):
        shutil.rmtree(self.folder, ignore_errors=True)


def run(module, arguments, recorded=True):
    """Runs orvanectl --json with arguments; returns (exit code, document)."""
    command = [module.params['orvanectl']]
    if module.params.get('machine'):
        command += ['--machine', module.params['machine']]
    command.append('--json')
    if recorded and module.check_mode:
        command.append('--check')
    if recorded and module._diff:
        command.append('--diff')
    code, out, err = module.run_command(command + arguments)
    try:
        document = json.loads(out)
    except ValueError:
        module.fail_json(msg='orvanectl did not answer with a JSON document: %s' % (err or out),
                         rc=code, cmd=command + arguments)
    return code, document


def errors(document):
    return [message['text'] for message in document.get('messages', [])
            if message.get('kind') == 'error']


def finish(module, code, document):
    """Exits the module with orvanectl's result: changed, diff, or the failure."""
    result = document.get('result', {})
    if code != 0:
        module.fail_json(msg='; '.join(errors(document)) or 'orvanectl exited %d' % code,
                         rc=code, orvanectl=result)
    answer = dict(changed=bool(result.get('changed')), orvanectl=result)
    if module._diff:
        lines = ['would %s' % describe(step) if module.check_mode else describe(step)
                 for step in result.get('steps', [])]
        lines += result.get('change_lines', [])
        answer['diff'] = dict(prepared='\n'.join(lines))
    module.exit_json(**answer)


def describe(step):
    if step.get('instance'):
        return '%s: %s' % (step['instance'], step['step'])
    return step['step']


def apply_document(module, make_document, prune=False):
    """Applies the desired-state document that make_document(secrets) makes;
    secrets.reference(text) turns a secret into a reference for it."""
    with SecretFiles() as secrets:
        path = os.path.join(secrets.folder, 'state.json')
        with open(path, 'w') as state_file:
            json.dump(make_document(secrets), state_file)
        arguments = ['apply', '-f', path]
        if prune:
            arguments.append('--prune')
        code, answer = run(module, arguments)
    finish(module, code, answer)
