-- Neovim's own language client (nvim --headless) starts `brindle lsp`, opens a Windows-1252
-- module of a copy of the example project, waits for the diagnostics, takes the "add error
-- handler" action at a procedure, waits for the diagnostics of the changed text and writes the
-- file, whose bytes must be what `brindle add-error-handlers --proc` writes of the same module.
-- BRINDLE names the executable, EXAMPLES the example project.

local function fail(text)
  io.stderr:write('neovim_test: ' .. text .. '\n')
  vim.cmd('cquit 1')
end

local function read(file)
  local handle = assert(io.open(file, 'rb'))
  local bytes = handle:read('*a')
  handle:close()
  return bytes
end

local function run()
  local brindle = assert(os.getenv('BRINDLE'), 'BRINDLE is not set')
  local examples = assert(os.getenv('EXAMPLES'), 'EXAMPLES is not set')
  local work = vim.fn.tempname()
  vim.fn.mkdir(work, 'p')
  vim.fn.system({ 'cp', '-r', examples, work .. '/served' })
  vim.fn.system({ 'cp', '-r', examples, work .. '/cli' })
  local said = vim.fn.system({ brindle, 'add-error-handlers', work .. '/cli/modMain.bas',
                               '--proc', 'LoadDefaults', '--quiet' })
  if vim.v.shell_error ~= 0 then
    return fail('brindle add-error-handlers: ' .. said)
  end

  local module = work .. '/served/modMain.bas'
  vim.cmd('edit ++enc=cp1252 ' .. vim.fn.fnameescape(module))
  local client = vim.lsp.start_client({ name = 'brindle', cmd = { brindle, 'lsp' },
                                        root_dir = work .. '/served' })
  if not client then
    return fail('the server did not start')
  end
  vim.lsp.buf_attach_client(0, client)
  if not vim.wait(20000, function() return #vim.diagnostic.get(0) > 0 end, 50) then
    return fail('no diagnostics came')
  end
  local line
  for _, diagnostic in ipairs(vim.diagnostic.get(0)) do
    if diagnostic.message == 'Sub LoadDefaults has no error handler' then
      line = diagnostic.lnum
    end
  end
  if not line then
    return fail('no diagnostic of LoadDefaults: ' .. vim.inspect(vim.diagnostic.get(0)))
  end

  local params = {
    textDocument = { uri = vim.uri_from_bufnr(0) },
    range = { start = { line = line, character = 0 }, ['end'] = { line = line, character = 0 } },
    context = { diagnostics = {} },
  }
  local answers = vim.lsp.buf_request_sync(0, 'textDocument/codeAction', params, 20000) or {}
  local chosen
  for _, answer in pairs(answers) do
    for _, action in ipairs(answer.result or {}) do
      if action.title == 'Add error handler(s) to the selected procedures' then
        chosen = action
      end
    end
  end
  if not chosen then
    return fail('no "add error handler" action: ' .. vim.inspect(answers))
  end
  vim.lsp.util.apply_workspace_edit(chosen.edit, 'utf-16')
  -- Neovim sends the edit as ranged changes: placed right, the finding goes and nothing else
  -- is told.
  local function placed()
    for _, diagnostic in ipairs(vim.diagnostic.get(0)) do
      if diagnostic.message == 'Sub LoadDefaults has no error handler'
          or diagnostic.message:find('lost track', 1, true) then
        return false
      end
    end
    return #vim.diagnostic.get(0) > 0
  end
  if not vim.wait(20000, placed, 50) then
    return fail('the changes were not placed: ' .. vim.inspect(vim.diagnostic.get(0)))
  end
  vim.cmd('write')
  if read(module) ~= read(work .. '/cli/modMain.bas') then
    return fail('the module Neovim wrote differs from what brindle writes')
  end
  vim.lsp.stop_client(client)
  vim.fn.delete(work, 'rf')
  vim.cmd('qall!')
end

local ok, problem = pcall(run)
if not ok then
  fail(tostring(problem))
end
