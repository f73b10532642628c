// SPDX-License-Identifier: MIT
'use strict';

const path = require('path');
const vscode = require('vscode');
const { LanguageClient, ExecuteCommandRequest } = require('vscode-languageclient/node');

const moduleExtensions = ['.bas', '.cls', '.frm', '.ctl', '.pag', '.dsr', '.dob'];

// What brindle.require may list, as `brindle check --require` takes them.
const rules = ['module-header', 'header', 'handler'];

// The palette commands have ids of their own: the language client registers the server's
// command ids (brindle.addAll, ...) itself as soon as the server announces them, and a second
// registration of the same id would fail. Ours also work, with a clear message, while the
// server is not running.
const projectCommands = {
  'brindle-vb6.addAll': 'brindle.addAll',
  'brindle-vb6.removeMarkersAll': 'brindle.removeMarkersAll',
  'brindle-vb6.removeCodeAll': 'brindle.removeCodeAll',
  'brindle-vb6.refresh': 'brindle.refresh',
};

// The VS Code encoding that reads a module written in a Windows code page.
const encodingOfCodePage = {
  874: 'windows874',
  932: 'shiftjis',
  936: 'gbk',
  949: 'euckr',
  950: 'big5hkscs',
  1250: 'windows1250',
  1251: 'windows1251',
  1252: 'windows1252',
  1253: 'windows1253',
  1254: 'windows1254',
  1255: 'windows1255',
  1256: 'windows1256',
  1257: 'windows1257',
  1258: 'windows1258',
  65001: 'utf8',
};

let client;
let output;

function isModule(uri) {
  return uri.scheme === 'file' && moduleExtensions.includes(path.extname(uri.fsPath).toLowerCase());
}

function activeModuleUri() {
  const editor = vscode.window.activeTextEditor;
  return editor && isModule(editor.document.uri) ? editor.document.uri : undefined;
}

function codePage() {
  const value = vscode.workspace.getConfiguration('brindle').get('codePage', 0);
  return Number.isInteger(value) && value > 0 ? value : 0;
}

// What the server takes when it starts: the code page, and what it reports.
function initializationOptions() {
  const config = vscode.workspace.getConfiguration('brindle');
  const options = { stale: config.get('stale', false) === true };
  const page = codePage();
  if (page) options.codePage = page;
  const required = config.get('require');
  if (Array.isArray(required)) options.require = required.filter((rule) => rules.includes(rule));
  return options;
}

function createClient() {
  const config = vscode.workspace.getConfiguration('brindle');
  const program = config.get('path', 'brindle') || 'brindle';
  const patterns = moduleExtensions.map((e) => e.slice(1)).flatMap((e) => [e, e.toUpperCase()]);
  return new LanguageClient(
    'brindle',
    'Brindle',
    // Standard input and output, with no transport flag after the arguments.
    { command: program, args: ['lsp'] },
    {
      // Another extension may claim .bas for its own language: the pattern still sends us
      // the modules.
      documentSelector: [
        { scheme: 'file', language: 'vb6' },
        { scheme: 'file', pattern: `**/*.{${patterns.join(',')}}` },
      ],
      initializationOptions: initializationOptions(),
      outputChannel: output,
      middleware: {
        // A key bound to one of the server's own command ids acts on the active module too.
        executeCommand: (command, args, next) => {
          const uri = activeModuleUri();
          return next(command, args.length === 0 && uri ? [uri.toString()] : args);
        },
      },
    },
  );
}

async function start() {
  const candidate = createClient();
  try {
    await candidate.start();
    client = candidate;
  } catch (error) {
    const program = vscode.workspace.getConfiguration('brindle').get('path', 'brindle');
    // Not awaited: a restart must not wait until the message is closed.
    vscode.window
      .showErrorMessage(
        `Brindle: could not start "${program} lsp": ${error.message || error}. ` +
          'Install Brindle or set brindle.path to its program.',
        'Open Settings',
      )
      .then((choice) => {
        if (choice) vscode.commands.executeCommand('workbench.action.openSettings', 'brindle.path');
      });
  }
}

async function stop() {
  const old = client;
  client = undefined;
  if (old && old.needsStop()) {
    try {
      await old.stop();
    } catch (error) {
      output.appendLine(`Stopping the server failed: ${error.message || error}`);
    }
  }
}

// Starts and stops run one after the other: a client still starting cannot be stopped.
let lifecycle = Promise.resolve();

function restart() {
  lifecycle = lifecycle.then(stop).then(start);
  return lifecycle;
}

async function runProjectCommand(serverCommand) {
  const uri = activeModuleUri();
  if (!uri) {
    vscode.window.showWarningMessage(
      'Brindle: open a module of the project (.bas, .cls, .frm, ...) and run the command from it.',
    );
    return;
  }
  await lifecycle;
  if (!client || !client.isRunning()) {
    vscode.window.showErrorMessage(
      'Brindle: the language server is not running; see the "Brindle" output.',
    );
    return;
  }
  try {
    const result = await client.sendRequest(ExecuteCommandRequest.type, {
      command: serverCommand,
      arguments: [uri.toString()],
    });
    if (typeof result === 'string' && result) vscode.window.showInformationMessage(result);
  } catch (error) {
    vscode.window.showErrorMessage(`Brindle: ${error.message || error}`);
  }
}

// A module decoded in another code page than Brindle's is shown wrongly and, once saved,
// loses its characters beyond ASCII: say so while it can be mended.
function checkEncoding() {
  const page = codePage();
  const wanted = encodingOfCodePage[page];
  if (!wanted) return;
  const files = vscode.workspace.getConfiguration('files', { languageId: 'vb6' });
  const actual = files.get('encoding');
  if (actual === wanted) return;
  vscode.window
    .showWarningMessage(
      `Brindle reads the modules in code page ${page}, but VS Code opens VB6 files as "${actual}".`,
      `Use ${wanted} for VB6 files`,
    )
    .then((choice) => {
      if (!choice) return;
      const target = vscode.workspace.workspaceFolders
        ? vscode.ConfigurationTarget.Workspace
        : vscode.ConfigurationTarget.Global;
      files.update('encoding', wanted, target, true);
    });
}

function activate(context) {
  output = vscode.window.createOutputChannel('Brindle');
  context.subscriptions.push(output);
  for (const [id, serverCommand] of Object.entries(projectCommands)) {
    context.subscriptions.push(
      vscode.commands.registerCommand(id, () => runProjectCommand(serverCommand)),
    );
  }
  context.subscriptions.push(
    vscode.workspace.onDidChangeConfiguration((event) => {
      // The server takes the program, the code page and what it reports only when it starts.
      if (event.affectsConfiguration('brindle')) restart();
      if (
        event.affectsConfiguration('brindle.codePage') ||
        event.affectsConfiguration('files.encoding')
      ) {
        checkEncoding();
      }
    }),
  );
  checkEncoding();
  return restart();
}

function deactivate() {
  lifecycle = lifecycle.then(stop);
  return lifecycle;
}

module.exports = { activate, deactivate };
