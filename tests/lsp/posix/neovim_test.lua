-- Neovim's own language client (nvim --headless) runs `brindle lsp` on a Windows-1252 module of
-- a copy of the example project, takes the "add error handler" action at a procedure, sends it
-- back as Neovim's ranged changes and writes the file: the bytes must be what
-- `brindle add-error-handlers --proc` writes. BRINDLE names the executable, EXAMPLES the project.

local function fail(text)
  io.stderr:write('neovim_test: ' .. text .. '\n')
  vim.cmd('cquit 1')
end

local function run()
  local brindle, work = assert(os.getenv('BRINDLE')), vim.fn.tempname()
  vim.fn.mkdir(work, 'p')
  vim.fn.system({ 'cp', '-r', assert(os.getenv('EXAMPLES')), work .. '/served' })
  vim.fn.system({ 'cp', '-r', os.getenv('EXAMPLES'), work .. '/cli' })
  vim.fn.system({ brindle, 'add-error-handlers', work .. '/cli/modMain.bas', '--proc', 'LoadDefaults' })
  local module = work .. '/served/modMain.bas'
  vim.cmd('edit ++enc=cp1252 ' .. vim.fn.fnameescape(module))
  local client = vim.lsp.start_client({ name = 'brindle', cmd = { brindle, 'lsp' }, root_dir = work .. '/served' })
  vim.lsp.buf_attach_client(0, client)
  local wanted = 'Sub LoadDefaults has no error handler'
  local function told(message)
    for _, diagnostic in ipairs(vim.diagnostic.get(0)) do
      if diagnostic.message == message or diagnostic.message:find('lost track', 1, true) then
        return diagnostic
      end
    end
  end
  if not vim.wait(20000, function() return told(wanted) end, 50) then
    return fail('no diagnostic of LoadDefaults: ' .. vim.inspect(vim.diagnostic.get(0)))
  end
  local line = told(wanted).lnum
  local params = { textDocument = { uri = vim.uri_from_bufnr(0) }, context = { diagnostics = {} },
                   range = { start = { line = line, character = 0 }, ['end'] = { line = line, character = 0 } } }
  for _, answer in pairs(vim.lsp.buf_request_sync(0, 'textDocument/codeAction', params, 20000) or {}) do
    for _, action in ipairs(answer.result or {}) do
      if action.title == 'Add error handler(s) to the selected procedures' then
        vim.lsp.util.apply_workspace_edit(action.edit, 'utf-16')
      end
    end
  end
  -- Placed right, the finding goes and nothing else is told.
  if not vim.wait(20000, function() return #vim.diagnostic.get(0) > 0 and not told(wanted) end, 50) then
    return fail('the changes were not placed: ' .. vim.inspect(vim.diagnostic.get(0)))
  end
  vim.cmd('write')
  if not vim.deep_equal(vim.fn.readfile(module, 'b'), vim.fn.readfile(work .. '/cli/modMain.bas', 'b')) then
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
